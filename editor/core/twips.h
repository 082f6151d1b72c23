// SPDX-License-Identifier: MIT
#pragma once

// Positions and sizes of the window layout and of the stored window position are in twips:
// 1440 to the logical inch, 15 to a device-independent pixel.

#include <cstdint>

namespace hueloft {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(std::int64_t twips)
{
    // Round to the nearest pixel, halves away from zero, for negative positions as well; in
    // 64 bits, so that the extremes of a stored 32-bit position cannot overflow.
    const std::int64_t half = kTwipsPerPixel / 2;
    return static_cast<int>(twips >= 0 ? (twips + half) / kTwipsPerPixel
                                       : -((-twips + half) / kTwipsPerPixel));
}

// In 64 bits: a window placed from the extremes of a stored position comes back a few twips
// beyond the 32-bit range.
constexpr std::int64_t pixelsToTwips(std::int64_t pixels)
{
    return pixels * kTwipsPerPixel;
}

// A position in twips as the settings file holds it: a 32-bit integer.
constexpr std::int32_t storedTwips(std::int64_t twips)
{
    return twips < INT32_MIN ? INT32_MIN
           : twips > INT32_MAX ? INT32_MAX
                               : static_cast<std::int32_t>(twips);
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
