// SPDX-License-Identifier: MIT
#pragma once

// The program's icon as data: the one place that says what it looks like. The generator
// paints every bitmap size, the SVG and the Windows .ico from this table, so they can never
// disagree with each other.
//
// Coordinates are pixels of the 32 x 32 design; larger sizes scale the edges and round them to
// whole pixels, so every size stays crisp (no antialiasing, no half-transparent pixels).

#include <array>
#include <cstdint>

namespace hueloft::icon {

inline constexpr int designSize = 32;

struct Rect
{
    int x;
    int y;
    int width;
    int height;
};

struct Bar
{
    Rect rect;
    std::uint32_t rgb; // 0xRRGGBB, opaque
};

inline constexpr int barWidth = 7;
inline constexpr int barHeight = 25;
inline constexpr int barTop = 3;

// Red, green and blue from left to right.
inline constexpr std::array<Bar, 3> bars{{
    {{3, barTop, barWidth, barHeight}, 0xFF0000},
    {{13, barTop, barWidth, barHeight}, 0x00FF00},
    {{23, barTop, barWidth, barHeight}, 0x0000FF},
}};

// Each bar casts a black shadow 2 pixels thick to its right and below it: a rectangle moved 1
// pixel down and right and 1 pixel larger than the bar, painted before the bar.
inline constexpr int shadowOffset = 1;
inline constexpr int shadowThickness = 2;
inline constexpr std::uint32_t shadowRgb = 0x000000;

constexpr Rect shadowOf(const Rect &bar)
{
    return {bar.x + shadowOffset, bar.y + shadowOffset, bar.width + shadowThickness - shadowOffset,
            bar.height + shadowThickness - shadowOffset};
}

// The bitmap sizes written into the build tree and embedded as resources.
inline constexpr std::array<int, 5> bitmapSizes{32, 48, 64, 128, 256};

} // namespace hueloft::icon
