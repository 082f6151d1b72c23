// SPDX-License-Identifier: MIT
#pragma once

// The program's icon as data: the one place that says what it looks like. The generator
// paints every bitmap size, the SVG and the Windows .ico from this table, so they can never
// disagree with each other.
//
// Coordinates are pixels of the 32 x 32 design; larger sizes scale the edges and round them to
// whole pixels, so every size stays crisp (no antialiasing, no half-transparent pixels).
// Sizes below the design are drawn of their own (smallDrawings).

#include <algorithm>
#include <array>
#include <cstddef>
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

constexpr Rect shadowOf(const Rect &bar, int thickness = shadowThickness)
{
    return {bar.x + shadowOffset, bar.y + shadowOffset, bar.width + thickness - shadowOffset,
            bar.height + thickness - shadowOffset};
}

// The small sizes are drawn for their size, pixel by pixel, not scaled from the design: scaled
// to 16 pixels the bars and shadows would come out of uneven widths, or lose the gaps between
// them. Each keeps the design's three bars over a shadow 1 pixel thick, a clear gap between
// a shadow and the next bar, and a margin all round.
struct SmallDrawing
{
    int size;
    std::array<Rect, 3> bars; // red, green, blue, coloured as in bars above
    int shadowThickness;
};

inline constexpr std::array<SmallDrawing, 3> smallDrawings{{
    {16, {{{1, 1, 3, 13}, {6, 1, 3, 13}, {11, 1, 3, 13}}}, 1},
    {20, {{{2, 2, 4, 15}, {8, 2, 4, 15}, {14, 2, 4, 15}}}, 1},
    {24, {{{1, 2, 5, 19}, {9, 2, 5, 19}, {17, 2, 5, 19}}}, 1},
}};

// Edges rather than widths are scaled, so that neighbouring rectangles stay flush at every size.
constexpr int scaledEdge(int edge, int size)
{
    return (edge * size + designSize / 2) / designSize;
}

constexpr Rect scaled(const Rect &r, int size)
{
    const int left = scaledEdge(r.x, size);
    const int top = scaledEdge(r.y, size);
    return {left, top, scaledEdge(r.x + r.width, size) - left,
            scaledEdge(r.y + r.height, size) - top};
}

// Paints the icon at Size x Size into Pixels (0xAARRGGBB, Stride pixels from one row to the
// next), which must be transparent on entry: each bar's shadow, then the bar. Every pixel comes
// out either untouched or opaque, so the same bits serve premultiplied and straight formats.
// The generator paints its files with this and the program its window icon, without decoding.
inline void paintPixels(std::uint32_t *pixels, int size, int stride)
{
    const auto fill = [&](Rect r, std::uint32_t rgb) {
        for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, size); ++y) {
            for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, size); ++x)
                pixels[y * stride + x] = 0xFF000000u | rgb;
        }
    };
    const SmallDrawing *drawing = nullptr;
    for (const SmallDrawing &d : smallDrawings) {
        if (d.size == size)
            drawing = &d;
    }
    for (std::size_t i = 0; i < bars.size(); ++i) {
        if (drawing) {
            fill(shadowOf(drawing->bars[i], drawing->shadowThickness), shadowRgb);
            fill(drawing->bars[i], bars[i].rgb);
        } else {
            fill(scaled(shadowOf(bars[i].rect), size), shadowRgb);
            fill(scaled(bars[i].rect, size), bars[i].rgb);
        }
    }
}

// The bitmap sizes written into the build tree and embedded as resources.
inline constexpr std::array<int, 8> bitmapSizes{16, 20, 24, 32, 48, 64, 128, 256};

// The sizes a window's icon needs while the program runs: title bars, task bars and window
// switchers at up to twice the scale. The larger ones are for the desktop's icon theme and are
// not decoded at start-up (each size the window offers also goes to the window manager).
inline constexpr std::array<int, 6> windowIconSizes{16, 20, 24, 32, 48, 64};

// The sizes the Windows .ico holds: what Windows asks for at 100 to 200 % (16 to 32 in lists
// and title bars, 48 and 64 for the desktop, 256 for large views). Up to 48 as bitmaps, which
// every Windows shows; 64 and 256 PNG-compressed.
inline constexpr std::array<int, 7> icoSizes{16, 20, 24, 32, 48, 64, 256};
inline constexpr int largestIcoBitmap = 48;

} // namespace hueloft::icon
