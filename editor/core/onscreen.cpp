// SPDX-License-Identifier: MIT
#include "editor/core/onscreen.h"

#include <algorithm>

namespace hueloft {

namespace {

// How much of [from, from + size) lies in [start, start + length), or minus the gap between.
std::int64_t overlap(std::int64_t from, std::int64_t size, std::int64_t start, std::int64_t length)
{
    return std::min(from + size, start + length) - std::max(from, start);
}

// The least move that puts [from, from + size) inside the area, or its start at the area's
// start when it is larger.
std::int64_t within(std::int64_t from, std::int64_t size, std::int64_t start, std::int64_t length)
{
    if (size >= length)
        return start;
    return std::clamp(from, start, start + length - size);
}

} // namespace

std::optional<TwipsPoint> placeOnScreen(const TwipsRect &window,
                                        const std::vector<TwipsRect> &areas)
{
    const TwipsRect *best = nullptr;
    // Overlapping areas rank by the overlap's area; the others after them, by their distance.
    std::int64_t bestScore = INT64_MIN;
    for (const TwipsRect &area : areas) {
        if (area.width <= 0 || area.height <= 0)
            continue;
        const std::int64_t across = overlap(window.left, window.width, area.left, area.width);
        const std::int64_t down = overlap(window.top, window.height, area.top, area.height);
        if (across >= window.width && down >= window.height)
            return std::nullopt;
        const std::int64_t score =
            across > 0 && down > 0 ? across * down : std::min<std::int64_t>(across, 0) + std::min<std::int64_t>(down, 0) - 1;
        if (score > bestScore) {
            bestScore = score;
            best = &area;
        }
    }
    if (!best)
        return std::nullopt;
    return TwipsPoint{within(window.left, window.width, best->left, best->width),
                      within(window.top, window.height, best->top, best->height)};
}

} // namespace hueloft
