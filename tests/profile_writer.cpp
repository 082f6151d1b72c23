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
// "once" and "loop" flush after every write.

#include "platform/profile.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
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
