// SPDX-License-Identifier: MIT
#pragma once

// The colour value of the editor and of the library: 32 bits laid out 0x00BBGGRR, red in the
// low byte, as the settings file and the library exchange it.

#include <cstdint>

namespace hueloft {

using ColorValue = std::uint32_t;

inline constexpr int kChannelMax = 255;

// red + 256 * green + 65536 * blue, for channels already within 0..255.
constexpr ColorValue composeColor(int red, int green, int blue)
{
    return static_cast<ColorValue>(red) + 256u * static_cast<ColorValue>(green)
           + 65536u * static_cast<ColorValue>(blue);
}

// The low, second and third byte of Color. A value with bits in its high byte (which no
// dialog produces, but a hand-edited file or a faulty library could) still splits into three
// channels within 0..255 instead of negative remainders.
constexpr void SplitColor(ColorValue color, int &red, int &green, int &blue)
{
    red = static_cast<int>(color % 256u);
    green = static_cast<int>((color / 256u) % 256u);
    blue = static_cast<int>((color / 65536u) % 256u);
}

// Brings any integer into the range a channel can hold.
constexpr int clampChannel(long long value)
{
    return value < 0 ? 0 : value > kChannelMax ? kChannelMax : static_cast<int>(value);
}

} // namespace hueloft
