// SPDX-License-Identifier: MIT
#include "platform/profile_text.h"

#include <algorithm>
#include <unordered_map>

namespace platform::profile {

namespace {

#ifdef _WIN32
constexpr std::string_view nativeLineEnd = "\r\n";
#else
constexpr std::string_view nativeLineEnd = "\n";
#endif

// The blanks that the file's own text may have around names and values.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view trimBlanks(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: other bytes must match exactly, whatever the locale.
bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

} // namespace

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

std::unordered_map<std::string, std::size_t> firstSections(std::string_view text)
{
    std::unordered_map<std::string, std::size_t> starts;
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.end;
        if (const auto name =
                headerName(text.substr(line.begin, line.contentEnd - line.begin)))
            starts.try_emplace(foldedName(*name), line.begin);
    }
    return starts;
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

std::optional<std::string> edited(std::string_view text, std::string_view section,
                                  std::optional<std::string_view> key,
                                  std::optional<std::string_view> value)
{
    const Location at = locate(text, section, key);
    std::string out;

    if (!key) {
        if (!at.sectionFound)
            return std::nullopt;
        // The whole block goes, comments and other lines of the section included.
        out.reserve(text.size());
        out.append(text.substr(0, at.header.begin)).append(text.substr(at.sectionEnd));
        return out;
    }

    if (!value) {
        if (!at.keyFound)
            return std::nullopt;
        out.reserve(text.size());
        out.append(text.substr(0, at.keyLine.begin)).append(text.substr(at.keyLine.end));
        return out;
    }

    if (at.keyFound) {
        // Everything before the value stays as the file spells it; the old value and any
        // blanks after it give way to the new value; the line keeps its own line end.
        const std::string_view old =
            text.substr(at.valueBegin, at.keyLine.contentEnd - at.valueBegin);
        if (old == *value)
            return std::nullopt;
        out.reserve(text.size() + value->size());
        out.append(text.substr(0, at.valueBegin))
            .append(*value)
            .append(text.substr(at.keyLine.contentEnd));
        return out;
    }

    const std::string_view lineEnd = lineEndOf(text);
    std::size_t insertAt = text.size();
    bool needsLineEnd = !text.empty() && text.back() != '\n' && text.back() != '\r';
    if (at.sectionFound) {
        const Line &after = at.hasKeys ? at.lastKey : at.header;
        insertAt = after.end;
        needsLineEnd = after.contentEnd == after.end;
    }
    out.reserve(text.size() + section.size() + key->size() + value->size() + 8);
    out.append(text.substr(0, insertAt));
    if (needsLineEnd)
        out.append(lineEnd);
    if (!at.sectionFound)
        out.append("[").append(section).append("]").append(lineEnd);
    out.append(*key).append("=").append(*value).append(lineEnd);
    out.append(text.substr(insertAt));
    return out;
}

} // namespace platform::profile
