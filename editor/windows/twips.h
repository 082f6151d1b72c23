// SPDX-License-Identifier: MIT
#pragma once

// Positions and sizes of the window layout and of the stored window position are in twips:
// 1440 to the logical inch, 15 to a device-independent pixel.

#include <cstdint>

namespace hueloft {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    // Round to the nearest pixel, halves away from zero, for negative positions as well.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

// (outer - inner) / 2, a half going to the even neighbour: the position that centres Inner
// in Outer.
constexpr std::int64_t centredOffset(std::int64_t outer, std::int64_t inner)
{
    const std::int64_t difference = outer - inner;
    std::int64_t half = difference / 2;
    if (difference % 2 != 0) {
        // difference / 2 truncated towards zero; the two neighbours are half and half +/- 1.
        const std::int64_t other = difference > 0 ? half + 1 : half - 1;
        if (half % 2 != 0)
            half = other;
    }
    return half;
}

} // namespace hueloft
