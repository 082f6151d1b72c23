// SPDX-License-Identifier: MIT
#include "editor/color/colorparse.h"

#include "editor/color/colortext.h"
#include "editor/color/numbertext.h"

namespace hueloft {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lowered(text[i]) != prefix[i])
            return false;
    }
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lowered(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The colour value written in hexadecimal, the whole of Digits: blue, green, red.
std::optional<ColorValue> hexValue(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    ColorValue value = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + ColorValue(digit);
    }
    // A high byte is no part of a colour: such a constant means something else.
    if (value > 0xFFFFFFu)
        return std::nullopt;
    return value;
}

// What follows the "#" of a web colour: red, green, blue, two digits each or one doubled.
std::optional<ColorValue> webValue(std::string_view digits)
{
    if (digits.size() != 3 && digits.size() != 6)
        return std::nullopt;
    const std::size_t width = digits.size() / 3;
    int channels[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        int channel = 0;
        for (std::size_t j = 0; j < width; ++j) {
            const int digit = hexDigit(digits[i * width + j]);
            if (digit < 0)
                return std::nullopt;
            channel = channel * 16 + digit;
        }
        channels[i] = width == 1 ? channel * 17 : channel;
    }
    return composeColor(channels[0], channels[1], channels[2]);
}

// Three decimal channels, the whole of Text, each pair apart by a comma, blanks or both.
std::optional<ColorValue> channelsValue(std::string_view text)
{
    int channels[3] = {};
    std::size_t i = 0;
    for (int n = 0; n < 3; ++n) {
        if (n > 0) {
            const std::size_t before = i;
            while (i < text.size() && isBlank(text[i]))
                ++i;
            if (i < text.size() && text[i] == ',')
                ++i;
            while (i < text.size() && isBlank(text[i]))
                ++i;
            if (i == before)
                return std::nullopt;
        }
        const std::size_t start = i;
        int value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            value = value * 10 + (text[i] - '0');
            // Out of range is no colour, not the nearest one: "300, 0, 0" is a typing mistake.
            if (value > kChannelMax)
                return std::nullopt;
        }
        if (i == start)
            return std::nullopt;
        channels[n] = value;
    }
    if (i != text.size())
        return std::nullopt;
    return composeColor(channels[0], channels[1], channels[2]);
}

} // namespace

std::optional<ColorValue> readColorText(std::string_view text)
{
    text = trimmed(text);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        text = trimmed(text.substr(1, text.size() - 2));
    if (text.empty())
        return std::nullopt;

    if (text.front() == '#')
        return webValue(text.substr(1));
    if (text.front() == '$')
        return hexValue(text.substr(1));
    if (startsWithNoCase(text, "0x"))
        return hexValue(text.substr(2));
    if (startsWithNoCase(text, "&h")) {
        std::string_view digits = text.substr(2);
        if (!digits.empty() && digits.back() == '&')
            digits.remove_suffix(1);
        return hexValue(digits);
    }
    if (startsWithNoCase(text, "rgb")) {
        std::string_view call = trimmed(text.substr(3));
        if (call.size() < 2 || call.front() != '(' || call.back() != ')')
            return std::nullopt;
        return channelsValue(trimmed(call.substr(1, call.size() - 2)));
    }
    if (lowered(text.back()) == 'h')
        return hexValue(text.substr(0, text.size() - 1));
    return channelsValue(text);
}

std::string everyNotation(ColorValue color)
{
    int red = 0, green = 0, blue = 0;
    SplitColor(color, red, green, blue);
    std::string lines = rgbMacroText(decimalText(red), decimalText(green), decimalText(blue));
    lines.push_back('\n');
    for (int notation : {NotationC, NotationPascal, NotationBasic, NotationAsm})
        lines.append(hexaCopyText(hexaCaption(color, notation), notation)).push_back('\n');
    lines.append(htmlText(color)).push_back('\n');
    return lines;
}

} // namespace hueloft
