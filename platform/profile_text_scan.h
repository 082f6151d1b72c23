// SPDX-License-Identifier: MIT
#pragma once

// What reading, editing and encoding the INI text (profile_text.h) all scan it with: the
// blanks around names and values, how names compare, the platform's line end, and the walk
// over the header lines. Private to the profile library.

#include "platform/profile_text.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>

namespace platform::profile {

#ifdef _WIN32
inline constexpr std::string_view nativeLineEnd = "\r\n";
#else
inline constexpr std::string_view nativeLineEnd = "\n";
#endif

// The blanks that the file's own text may have around names and values.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

inline std::string_view trimBlanks(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

inline char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: other bytes must match exactly, whatever the locale.
inline bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

// Calls visit(begin, content) for each line whose first non-blank character is '[', in order,
// until visit returns true; returns that line's begin or nothing. Other lines cost a look at
// their first bytes and a search for their end.
template<typename Visit>
std::optional<std::size_t> forEachHeader(std::string_view text, Visit visit)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = lineAt(text, pos);
        const std::string_view content = text.substr(pos, line.contentEnd - pos);
        std::size_t first = 0;
        while (first < content.size() && isBlank(content[first]))
            ++first;
        if (first < content.size() && content[first] == '[' && visit(pos, content))
            return pos;
        pos = line.end;
    }
    return std::nullopt;
}

} // namespace platform::profile
