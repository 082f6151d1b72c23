// SPDX-License-Identifier: MIT
// Times the profile functions on a file of about 10 MB holding a million keys (1000
// sections of 1000 keys): reading one key near the end (the first read of the file, and a read
// of a file already kept), rewriting one key near the end, adding and deleting a key. The
// baselines, measured in the same run: reading the whole file with read(), and replacing it
// whole the safe way (write, fsync, rename, fsync of the folder).
// Usage: bench_profile [folder] (default: the temporary folder).

#include "platform/profile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

double medianMs(int runs, const std::function<bool(int)> &step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!step(i)) {
            std::fprintf(stderr, "bench_profile: step failed: %s\n",
                         platform::profileErrorText().c_str());
            std::exit(1);
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool readWhole(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    std::string text;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, std::size_t(n));
    ::close(fd);
    return n == 0 && !text.empty();
}

bool replaceWhole(const std::string &path, const std::string &text, const std::string &folder)
{
    const std::string temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size())
                         && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0)
        return false;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const bool synced = dir >= 0 && ::fsync(dir) == 0;
    if (dir >= 0)
        ::close(dir);
    return synced;
}

} // namespace

int main(int argc, char **argv)
{
    const char *tmp = std::getenv("TMPDIR");
    const std::string folder = argc > 1 ? argv[1] : (tmp && *tmp ? tmp : "/tmp");
    const std::string path = folder + "/bench_profile." + std::to_string(::getpid()) + ".ini";

    std::string text;
    text.reserve(12 << 20);
    for (int s = 0; s < 1000; ++s) {
        text.append("[Section").append(std::to_string(s)).append("]\n");
        for (int k = 0; k < 1000; ++k) {
            text.append("k").append(std::to_string(k)).append("=");
            text.append(std::to_string(s * 1000 + k)).append("\n");
        }
    }
    // Two copies: reading them in turn makes every read the first read of its file.
    const std::string other = path + ".other";
    for (const std::string &copy : {path, other}) {
        if (FILE *f = std::fopen(copy.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        } else {
            std::perror(copy.c_str());
            return 1;
        }
    }
    const char *file = path.c_str();
    const int runs = 21;

    const double baselineRead = medianMs(runs, [&](int) { return readWhole(path); });
    const double firstRead = medianMs(runs, [&](int i) {
        return platform::GetPrivateProfileIntA("section999", "K998", -1,
                                               i % 2 ? other.c_str() : file) == 999998;
    });
    const double keptRead = medianMs(runs, [&](int) {
        return platform::GetPrivateProfileIntA("section999", "K998", -1, file) == 999998;
    });
    const double readMissing = medianMs(runs, [&](int i) {
        return platform::GetPrivateProfileIntA("Section999", "none", -1,
                                               i % 2 ? other.c_str() : file) == 0xFFFFFFFF;
    });
    const double baselineWrite =
        medianMs(runs, [&](int) { return replaceWhole(other, text, folder); });
    const double rewrite = medianMs(runs, [&](int i) {
        return platform::WritePrivateProfileStringA("Section999", "k998", i % 2 ? "1" : "22", file)
               && platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
    });
    const double addDelete = medianMs(runs, [&](int i) {
        return (platform::WritePrivateProfileStringA("Section999", "new", i % 2 ? nullptr : "1",
                                                    file)) && platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
    });
    std::remove(file);
    std::remove(other.c_str());

    std::printf("file: %s, %.1f MB, 1000000 keys; median of %d runs\n", folder.c_str(),
                double(text.size()) / 1e6, runs);
    std::printf("%-40s %9s %7s\n", "", "ms", "ratio");
    std::printf("%-40s %9.1f %7s\n", "baseline: read the file whole", baselineRead, "1.00");
    std::printf("%-40s %9.1f %7.2f\n", "read one key near the end, first read", firstRead,
                firstRead / baselineRead);
    std::printf("%-40s %9.3f %7.3f\n", "read it again, file kept", keptRead,
                keptRead / baselineRead);
    std::printf("%-40s %9.1f %7.2f\n", "read a missing key, first read", readMissing,
                readMissing / baselineRead);
    std::printf("%-40s %9.1f %7s\n", "baseline: replace the file whole, synced", baselineWrite,
                "1.00");
    std::printf("%-40s %9.1f %7.2f\n", "rewrite one key near the end", rewrite,
                rewrite / baselineWrite);
    std::printf("%-40s %9.1f %7.2f\n", "add or delete a key", addDelete,
                addDelete / baselineWrite);
    return 0;
}
