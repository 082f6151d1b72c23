// SPDX-License-Identifier: MIT
#pragma once

// The errors of the POSIX profile functions beyond the errno values, and the one-line reason
// each gives. Internal to the profile library.

#include "platform/links_posix.h"
#include "platform/profile.h"

#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>

#include <sys/stat.h>

namespace platform {

// Beside the errno values, one error of our own: the path names something that is never read
// or replaced. A settings path that names a device, a FIFO or a socket must not make the
// program block, read without end or put a regular file in the device's place; the kind goes
// into the error text.
constexpr int NotRegular = -1;
inline thread_local mode_t t_notRegularMode = 0;
// And another: a file too large to be settings (kProfileFileSizeLimit) is neither read, which
// could exhaust memory, nor replaced by the few hundred bytes a save would leave of it.
constexpr int TooLarge = -2;
// (-3, -5, -6 and -7 are the verdicts of links_posix.h.) And a file that another program
// replaces without end.
constexpr int KeptChanging = -4;
inline thread_local off_t t_tooLargeSize = 0;

inline int kindError(const struct stat &st)
{
    if (S_ISDIR(st.st_mode))
        return EISDIR; // the system's own words say it well enough
    if (!S_ISREG(st.st_mode)) {
        t_notRegularMode = st.st_mode;
        return NotRegular;
    }
    if (std::uint64_t(st.st_size) > kProfileFileSizeLimit) {
        t_tooLargeSize = st.st_size;
        return TooLarge;
    }
    return 0;
}

inline std::string reasonText(int error)
{
    if (error == NotRegular) {
        const char *kind = notRegularKind(t_notRegularMode);
        return std::string("it is ") + kind + ", not a regular file";
    }
    if (error == KeptChanging)
        return "another program replaced it at every try to lock it";
    if (const char *unusable = unusableText(error))
        return unusable;
    if (error == TooLarge)
        return tooLargeText(t_tooLargeSize);
    return std::generic_category().message(error);
}

} // namespace platform
