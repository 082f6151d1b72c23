// SPDX-License-Identifier: MIT
#include "editor/color/colortext.h"

#include <array>

namespace hueloft {

namespace {

// Upper-case hexadecimal of Value, padded on the left with zeros to Digits.
std::string paddedHex(std::uint32_t value, int digits)
{
    static constexpr std::array<char, 16> hex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                 '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0 && value != 0; --i) {
        text[static_cast<std::size_t>(i)] = hex[value & 0xF];
        value >>= 4;
    }
    return text;
}

} // namespace

std::string rgbMacroText(std::string_view red, std::string_view green, std::string_view blue)
{
    std::string text;
    text.reserve(4 + red.size() + 2 + green.size() + 2 + blue.size() + 1);
    text.append("RGB(").append(red).append(", ").append(green).append(", ").append(blue);
    text.push_back(')');
    return text;
}

std::string hexaCaption(ColorValue color, int hexaType)
{
    const std::string digits = paddedHex(color, 8);
    switch (hexaType) {
    case NotationC:
        return "0x" + digits;
    case NotationPascal:
        return "$" + digits;
    case NotationBasic:
        return "&&H" + digits + "&&";
    case NotationAsm:
        return digits + "H";
    default:
        return digits;
    }
}

std::string captionDisplayText(std::string_view caption)
{
    std::string shown;
    shown.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                shown.push_back('&');
                ++i;
            }
            continue;
        }
        shown.push_back(caption[i]);
    }
    return shown;
}

std::string hexaCopyText(std::string_view caption, int hexaType)
{
    if (hexaType == NotationBasic && caption.size() >= 2)
        return std::string(caption.substr(1, caption.size() - 2));
    return std::string(caption);
}

std::string htmlText(ColorValue color)
{
    const std::string bgr = paddedHex(color & 0xFFFFFFu, 6);
    std::string text = "\"#";
    text.append(bgr, 4, 2).append(bgr, 2, 2).append(bgr, 0, 2);
    text.push_back('"');
    return text;
}

} // namespace hueloft
