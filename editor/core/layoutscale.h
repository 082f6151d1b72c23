// SPDX-License-Identifier: MIT
#pragma once

// The layouts are designed in twips at the platform's dialog font and 96 DPI. Drawn in another
// font, a caption can need more room than its control has; then the whole window grows, its
// positions and sizes together, by the least factor at which every text fits, as a dialog
// laid out in dialog units grows with its font. It never shrinks below the design. Each
// front-end measures the texts in the font its controls actually draw with; the decision, and
// the pixels that follow from it, are made here once for both.

#include "editor/core/layout.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hueloft {

// 1000 is the design; 1250 a layout a quarter larger.
inline constexpr int kDesignScale = 1000;
// A text that would need more (an owner's line of a hundred words) is cut rather than the
// window made larger than any screen.
inline constexpr int kLargestScale = 4000;

struct LayoutScale
{
    int dpiX = 96, dpiY = 96;
    int permille = kDesignScale;
};

struct DeviceRect
{
    int left = 0, top = 0, width = 0, height = 0;
};

// Twips to device pixels at a DPI and a scale, rounded to the nearest pixel with halves away
// from zero, as MulDiv rounds; in 64 bits for the extremes of a stored position.
int twipsToDevice(std::int64_t twips, int dpi, int permille = kDesignScale);
std::int64_t deviceToTwips(std::int64_t pixels, int dpi);

// Both edges are rounded, not the size, so that controls that touch in twips touch in pixels.
DeviceRect twipsToDevice(int left, int top, int width, int height, const LayoutScale &scale);

// What a text needs in pixels, in the font its control draws with, the control's own margins
// included (a button's bevel, the circle of an option, a frame's line, a box's border).
struct TextNeed
{
    int width = 0, height = 0;
};

class TextMeasure
{
public:
    // Text as the control shows it: no access-key marks.
    virtual TextNeed need(const ControlLayout &control, std::string_view text) const = 0;
    // The height of Text wrapped within Width pixels of Control.
    virtual int wrappedHeight(const ControlLayout &control, std::string_view text,
                              int width) const = 0;

protected:
    ~TextMeasure() = default;
};

// One text a control can show; a control with several (the hexadecimal text in its four
// notations) has one entry for each.
struct ShownText
{
    const ControlLayout *control = nullptr;
    std::string text;
    bool wraps = false;
};

// The digits a sample size box shows whole: a stored width of 1000 reads "1000".
inline constexpr int kSampleBoxDigits = 4;

// Every text of the main window at its widest in the measured font: the captions, the widest
// channel value in each channel box and kSampleBoxDigits digits in each size box, the RGB macro
// and the four hexadecimal notations of the widest digits. A box's need includes its caret.
std::vector<ShownText> mainWindowTexts(const TextMeasure &measure);

// The About box's title and version lines where a front-end names the program and version
// itself; an empty one is the layout table's.
struct AboutHeading
{
    std::string_view title;
    std::string_view version;
};

// The About box's: the fixed lines, the owner's rights and contact lines as they are (plain
// text: an "&" in them is shown), and the owner's notice wrapped within its label.
std::vector<ShownText> aboutBoxTexts(std::string_view rights, std::string_view contact,
                                     std::string_view notice, AboutHeading heading = {});

// The least scale at DpiX x DpiY at which every text fits its control: kDesignScale when the
// design already holds them, at most Largest. Positions in the table are relative to their
// container (Table names it), as the front-ends place them.
LayoutScale fittingScale(std::span<const ControlLayout> table, std::span<const ShownText> texts,
                         const TextMeasure &measure, int dpiX, int dpiY,
                         int largest = kLargestScale);

// The largest scale at which a client area of Width x Height twips, with a frame of FrameWidth
// x FrameHeight pixels round it, still fits the screen's Available pixels: a font too large
// for any layout cuts its texts rather than put the window's title bar out of reach. At least
// the design, at most kLargestScale.
int largestScaleOnScreen(int width, int height, int frameWidth, int frameHeight,
                         int availableWidth, int availableHeight, int dpiX, int dpiY);

// The client area of a window Width x Height twips at Scale.
inline DeviceRect clientArea(int width, int height, const LayoutScale &scale)
{
    return twipsToDevice(0, 0, width, height, scale);
}

// A control's rectangle in the window's client area at Scale; a control inside a frame adds
// the frame's corner.
DeviceRect clientRect(std::span<const ControlLayout> table, const ControlLayout &control,
                      const LayoutScale &scale);

} // namespace hueloft
