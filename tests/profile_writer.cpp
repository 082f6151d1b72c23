// SPDX-License-Identifier: MIT
// Profile writes in a process of their own, for the tests that kill a writer, run one as
// another user or under a file size limit.
//
//   profile_writer once FILE SECTION KEY VALUE  one write; exit 0, or 1 and the error line on
//                                               standard error
//   profile_writer loop FILE SECTION KEY A B    writes A, B, A, ... until killed; prints
//                                               "ready" once the first write is done
//   profile_writer held FILE SECTION KEY VALUE  one write, never flushed: it reaches the
//                                               file when the process ends
//   profile_writer read FILE SECTION KEY        prints the value (a first use of the file)
// "once" and "loop" flush after every write. As another user, the hostile side of a shared
// folder; both print "ready", then hold what they took until standard input ends:
//   profile_writer grab FOLDER PREFIX           locks every file named PREFIX... that it can
//                                               open, as soon as it appears; prints
//                                               "locked N" at the end
//   profile_writer lock FILE                    holds an exclusive lock on FILE
//   profile_writer replace FILE                 replaces FILE every millisecond with a new
//                                               file, each locked before the last is let go

#include "platform/profile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

void readyThenWaitForEnd(int watch = -1, const char *folder = nullptr, const char *prefix = nullptr)
{
    std::puts("ready");
    std::fflush(stdout);
    int locked = 0;
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {watch, POLLIN, 0}};
        if (::poll(fds, watch >= 0 ? 2 : 1, -1) < 0)
            continue;
        if (fds[0].revents && ::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            break;
        if (watch < 0 || !fds[1].revents)
            continue;
        const ssize_t n = ::read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->len == 0 || std::strncmp(event->name, prefix, std::strlen(prefix)) != 0)
                continue;
            const std::string path = std::string(folder) + "/" + event->name;
            const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
                ++locked; // and kept locked
        }
    }
    if (watch >= 0)
        std::printf("locked %d\n", locked);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "grab") == 0) {
        const int watch = ::inotify_init1(IN_CLOEXEC);
        if (watch < 0 || ::inotify_add_watch(watch, argv[2], IN_CREATE) < 0)
            return 1;
        readyThenWaitForEnd(watch, argv[2], argv[3]);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "lock") == 0) {
        const int fd = ::open(argv[2], O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
            return 1;
        readyThenWaitForEnd();
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "replace") == 0) {
        const std::string path = argv[2], next = path + ".next";
        int held = -1;
        for (int round = 0;; ++round) {
            const int fd = ::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            const std::string text = "[Other]\nround=" + std::to_string(round) + "\n";
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::write(fd, text.data(), text.size()) < 0 ||
                ::rename(next.c_str(), path.c_str()) != 0)
                return 1;
            if (held >= 0)
                ::close(held);
            held = fd;
            if (round == 0) {
                std::puts("ready");
                std::fflush(stdout);
            }
            pollfd in{STDIN_FILENO, POLLIN, 0};
            char buffer[64];
            if (::poll(&in, 1, 1) > 0 && ::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                return 0;
        }
    }
    if (argc == 5 && std::strcmp(argv[1], "read") == 0) {
        char value[256];
        platform::GetPrivateProfileStringA(argv[3], argv[4], "", value, sizeof value, argv[2]);
        std::puts(value);
        return 0;
    }
    if (argc == 6 && std::strcmp(argv[1], "once") == 0) {
        if (platform::WritePrivateProfileStringA(argv[3], argv[4], argv[5], argv[2])
            && platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, argv[2]))
            return 0;
        std::fprintf(stderr, "%s\n", platform::profileErrorText().c_str());
        return 1;
    }
    if (argc == 7 && std::strcmp(argv[1], "loop") == 0) {
        for (unsigned long i = 0;; ++i) {
            if (!platform::WritePrivateProfileStringA(argv[3], argv[4], argv[5 + i % 2], argv[2])
                || !platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, argv[2])) {
                std::fprintf(stderr, "%s\n", platform::profileErrorText().c_str());
                return 1;
            }
            if (i == 0) {
                std::puts("ready");
                std::fflush(stdout);
            }
        }
    }
    if (argc == 6 && std::strcmp(argv[1], "held") == 0)
        return platform::WritePrivateProfileStringA(argv[3], argv[4], argv[5], argv[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: profile_writer once|held FILE SECTION KEY VALUE\n"
                         "       profile_writer loop FILE SECTION KEY A B\n");
    return 2;
}
