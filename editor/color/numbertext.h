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

} // namespace hueloft
