// SPDX-License-Identifier: MIT
// The INI text (profile_text.h). In this file: reading it: lines, section headers, names,
// finding a section and a key, values and the integers read from them, the text's line end.
// Editing the text is in profile_edit.cpp, its encodings (8-bit, UTF-16) in
// profile_encoding.cpp.
#include "platform/profile_text.h"

#include "platform/profile_text_scan.h"

namespace platform::profile {

std::string_view trimArgument(std::string_view name)
{
    const std::size_t b = name.find_first_not_of(' ');
    if (b == std::string_view::npos)
        return {};
    return name.substr(b, name.find_last_not_of(' ') - b + 1);
}

Line lineAt(std::string_view text, std::size_t pos)
{
    Line line;
    line.begin = pos;
    std::size_t i = pos;
    while (i < text.size() && text[i] != '\n' && text[i] != '\r')
        ++i;
    line.contentEnd = i;
    if (i < text.size()) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            i += 2;
        else
            ++i;
    }
    line.end = i;
    return line;
}

std::optional<std::string_view> headerName(std::string_view content)
{
    std::size_t first = 0;
    while (first < content.size() && isBlank(content[first]))
        ++first;
    if (first == content.size() || content[first] != '[')
        return std::nullopt;
    // A missing ']' is tolerated: the name then runs to the end of the line.
    const std::string_view rest = content.substr(first + 1);
    return trimBlanks(rest.substr(0, rest.find(']')));
}

std::string foldedName(std::string_view name)
{
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), asciiLower);
    return folded;
}

std::optional<std::size_t> firstSection(std::string_view text, std::string_view section)
{
    return forEachHeader(text, [&](std::size_t, std::string_view content) {
        const auto name = headerName(content);
        return name && sameName(*name, section);
    });
}

Location locate(std::string_view text, std::string_view section,
                std::optional<std::string_view> key, std::size_t from)
{
    Location at;
    bool inSection = false;
    for (std::size_t pos = from; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.end;
        const std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
        std::size_t first = 0;
        while (first < content.size() && isBlank(content[first]))
            ++first;
        if (first == content.size())
            continue;

        if (const auto name = headerName(content)) {
            if (inSection) {
                at.sectionEnd = line.begin;
                return at;
            }
            if (sameName(*name, section)) {
                at.sectionFound = true;
                at.header = line;
                inSection = true;
            }
            continue;
        }
        if (!inSection || content[first] == ';')
            continue;
        const std::size_t equals = content.find('=', first);
        if (equals == std::string_view::npos)
            continue;
        if (key && sameName(trimBlanks(content.substr(first, equals - first)), *key)) {
            at.keyFound = true;
            at.keyLine = line;
            const std::string_view value = trimBlanks(content.substr(equals + 1));
            at.valueBegin = line.begin + std::size_t(value.data() - content.data());
            at.valueEnd = at.valueBegin + value.size();
            return at;
        }
        at.hasKeys = true;
        at.lastKey = line;
    }
    at.sectionEnd = text.size();
    return at;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::uint32_t readInteger(std::string_view value, std::uint32_t defaultValue)
{
    if (value.empty())
        return defaultValue;
    std::size_t i = 0;
    while (i < value.size() && isBlank(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps modulo 2^32 by itself, which is what the digits must do.
    std::uint32_t result = 0;
    if (value.substr(i, 2) == "0x") {
        for (i += 2; i < value.size(); ++i) {
            const char c = asciiLower(value[i]);
            if (c >= '0' && c <= '9')
                result = result * 16 + std::uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                result = result * 16 + std::uint32_t(c - 'a' + 10);
            else
                break;
        }
    } else {
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
            result = result * 10 + std::uint32_t(value[i] - '0');
    }
    return negative ? 0u - result : result;
}

std::string_view lineEndOf(std::string_view text)
{
    const std::size_t i = text.find_first_of("\r\n");
    if (i == std::string_view::npos)
        return nativeLineEnd;
    if (text[i] == '\n')
        return "\n";
    return (i + 1 < text.size() && text[i + 1] == '\n') ? "\r\n" : "\r";
}

} // namespace platform::profile
