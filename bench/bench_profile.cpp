// SPDX-License-Identifier: MIT
// Times the profile functions on a file of about 10 MB holding a million keys (1000
// sections of 1000 keys): reading one key near the end, rewriting one key near the end,
// adding and deleting a key. Usage: bench_profile [folder] (default: the temporary folder).

#include "platform/profile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

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

} // namespace

int main(int argc, char **argv)
{
    const char *tmp = std::getenv("TMPDIR");
    const std::string folder = argc > 1 ? argv[1] : (tmp && *tmp ? tmp : "/tmp");
    const std::string path = folder + "/bench_profile." + std::to_string(::getpid()) + ".ini";

    std::string text;
    text.reserve(12 << 20);
    for (int s = 0; s < 1000; ++s) {
        text += "[Section" + std::to_string(s) + "]\n";
        for (int k = 0; k < 1000; ++k)
            text += "k" + std::to_string(k) + "=" + std::to_string(s * 1000 + k) + "\n";
    }
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    } else {
        std::perror(path.c_str());
        return 1;
    }
    const char *file = path.c_str();
    const int runs = 21;

    const double readNearEnd = medianMs(runs, [&](int) {
        return platform::GetPrivateProfileIntA("section999", "K998", -1, file) == 999998;
    });
    const double readMissing = medianMs(runs, [&](int) {
        return platform::GetPrivateProfileIntA("Section999", "none", -1, file) == 0xFFFFFFFF;
    });
    const double rewrite = medianMs(runs, [&](int i) {
        return platform::WritePrivateProfileStringA("Section999", "k998", i % 2 ? "1" : "22", file);
    });
    const double addDelete = medianMs(runs, [&](int i) {
        return platform::WritePrivateProfileStringA("Section999", "new", i % 2 ? nullptr : "1",
                                                    file);
    });
    std::remove(file);

    std::printf("file: %s, %.1f MB, 1000000 keys; median of %d runs\n", folder.c_str(),
                double(text.size()) / 1e6, runs);
    std::printf("read one key near the end   %8.1f ms\n", readNearEnd);
    std::printf("read a missing key          %8.1f ms\n", readMissing);
    std::printf("rewrite one key near the end %7.1f ms\n", rewrite);
    std::printf("add or delete a key         %8.1f ms\n", addDelete);
    return 0;
}
