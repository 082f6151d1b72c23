// SPDX-License-Identifier: MIT
#pragma once

// Where a window must go so that all of it, frame included, lies on one screen's work area
// (the screen less the desktop's panels): a stored position from a monitor since unplugged, a
// lower resolution or a larger scale would otherwise put it where nobody can see or move it.

#include <cstdint>
#include <optional>
#include <vector>

namespace hueloft {

// A rectangle in twips, in the coordinates the window's position is given in.
struct TwipsRect
{
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

struct TwipsPoint
{
    std::int64_t left = 0;
    std::int64_t top = 0;
};

// The position the window moves to, or none when it lies whole on one of the areas already
// (kept exactly, so that a stored position comes back as it was) or there are no areas. It
// goes to the area it overlaps most, or the nearest one when it overlaps none, by the least
// move; a window larger than the area keeps its top left corner (the title bar) on it.
std::optional<TwipsPoint> placeOnScreen(const TwipsRect &window,
                                        const std::vector<TwipsRect> &areas);

} // namespace hueloft
