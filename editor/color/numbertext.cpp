// SPDX-License-Identifier: MIT
#include "editor/color/numbertext.h"

namespace hueloft {

std::int16_t readLeadingNumber(std::string_view text)
{
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT16_MAX)
            return INT16_MAX;
    }
    return static_cast<std::int16_t>(value);
}

std::string decimalText(long long value)
{
    return std::to_string(value);
}

} // namespace hueloft
