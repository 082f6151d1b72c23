// SPDX-License-Identifier: MIT
#pragma once

// What reading, editing and encoding the INI text (profile_text.h) all scan it with: the
// blanks around names and values, how names compare, the platform's line end, and the walk
// over the header lines. Private to the profile library.

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
    const char *const data = text.data();
    const std::size_t size = text.size();
    std::size_t pos = 0;
    while (pos < size) {
        std::size_t first = pos;
        while (first < size && isBlank(data[first]))
            ++first;
        // The end of this line: the first CR or LF from here.
        std::size_t end = first;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        if (first < end && data[first] == '[' && visit(pos, text.substr(pos, end - pos)))
            return pos;
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            pos = end + 2;
        else
            pos = end + 1;
    }
    return std::nullopt;
}

} // namespace platform::profile
