// SPDX-License-Identifier: MIT
#pragma once

// Numbers as the user types them and as the program writes them.

#include <cstdint>
#include <string>
#include <string_view>

namespace hueloft {

// The value of the leading ASCII digits of Text; text that does not start with a digit (empty,
// a blank, a sign, a letter, a non-ASCII digit) reads as 0. Long digit runs saturate at
// 32767, the largest value the 16-bit fields of the window hold, instead of wrapping.
std::int16_t readLeadingNumber(std::string_view text);

// Brings a 32-bit value read from the settings file into a 16-bit field.
constexpr std::int16_t clampToInt16(std::int64_t value)
{
    return value < INT16_MIN ? std::int16_t(INT16_MIN)
           : value > INT16_MAX ? std::int16_t(INT16_MAX)
                               : static_cast<std::int16_t>(value);
}

// Plain decimal: a minus sign only when negative, no blanks, no leading zeros.
std::string decimalText(long long value);

// What a key press does to one of the numeric boxes. Code is the character the key produces
// (13 Enter, 8 Backspace, 3 for Ctrl+C, ...).
enum class KeyAction {
    Pass,    // the character reaches the box
    Discard, // the character is dropped
    Commit   // Enter in a channel box: commit the typed value, insert nothing
};

// Only the digits 0 to 9 and Backspace pass.
constexpr bool passesDigitFilter(int code)
{
    return !((code < 48 || code > 57) && code != 8);
}

constexpr KeyAction channelBoxKey(int code)
{
    if (code == 13)
        return KeyAction::Commit;
    return passesDigitFilter(code) ? KeyAction::Pass : KeyAction::Discard;
}

// The sample size boxes commit nothing: their text is read only by "Copy Color Sample".
constexpr KeyAction sampleBoxKey(int code)
{
    return passesDigitFilter(code) ? KeyAction::Pass : KeyAction::Discard;
}

} // namespace hueloft

namespace hueloft {

// The copied colour sample is 8 to 256 pixels on each side.
inline constexpr int kSampleSideMin = 8;
inline constexpr int kSampleSideMax = 256;

constexpr int clampSampleSide(int side)
{
    return side > kSampleSideMax ? kSampleSideMax : side < kSampleSideMin ? kSampleSideMin : side;
}

} // namespace hueloft
