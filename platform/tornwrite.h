// SPDX-License-Identifier: MIT
#pragma once

// What a write of a new text over an old one, in place, can leave when it is cut short: the
// test by which both systems' saves tell a torn file from any other (see the notes at the
// backups in profile_save.cpp and profilesave_win32.cpp).

#include <algorithm>
#include <string_view>

namespace platform {

// Whether Now is what a write of New over Old can leave: at every place a byte of one or the
// other, and no longer than the longer of them.
inline bool tornBetween(std::string_view now, std::string_view oldText, std::string_view newText)
{
    if (now.size() > std::max(oldText.size(), newText.size()))
        return false;
    for (std::size_t i = 0; i < now.size(); ++i) {
        const bool fromNew = i < newText.size() && now[i] == newText[i];
        const bool fromOld = i < oldText.size() && now[i] == oldText[i];
        if (!fromNew && !fromOld)
            return false;
    }
    return true;
}

} // namespace platform
