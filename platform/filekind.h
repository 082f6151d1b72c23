// SPDX-License-Identifier: MIT
#pragma once

// What a path that is not a regular file is, in words, for the one line that says why a
// settings file is neither read nor written.

#include <sys/stat.h>

namespace platform {

// Null for a regular file.
inline const char *notRegularKind(mode_t mode)
{
    if (S_ISREG(mode))
        return nullptr;
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "an unknown kind of file";
}

} // namespace platform
