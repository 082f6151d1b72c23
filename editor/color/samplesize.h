// SPDX-License-Identifier: MIT
#pragma once

// The size of the colour sample that "Copy Color Sample" puts on the clipboard.

namespace hueloft {

// The copied colour sample is 8 to 256 pixels on each side.
inline constexpr int kSampleSideMin = 8;
inline constexpr int kSampleSideMax = 256;

constexpr int clampSampleSide(int side)
{
    return side > kSampleSideMax ? kSampleSideMax : side < kSampleSideMin ? kSampleSideMin : side;
}

} // namespace hueloft
