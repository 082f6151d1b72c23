// SPDX-License-Identifier: MIT
#pragma once

#include "editor/core/layoutscale.h"

#include <windows.h>

namespace hueloft::win32 {

// What a text needs in a standard control drawn in Font at Dpi: the text's extent and the
// control's own margins (a button's edges, the box of a check box, a group box's line, an
// edit box's client edge and margins), in the control's window rectangle.
class FontMeasure final : public TextMeasure
{
public:
    FontMeasure(HFONT font, int dpi);
    ~FontMeasure();
    FontMeasure(const FontMeasure &) = delete;
    FontMeasure &operator=(const FontMeasure &) = delete;

    TextNeed need(const ControlLayout &control, std::string_view text) const override;
    int wrappedHeight(const ControlLayout &control, std::string_view text,
                      int width) const override;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
    int m_dpi;
    int m_leading = 0;
    int m_em = 0; // the font's height without its internal leading
};

// The largest scale at which a window of Style around a client area of Width x Height twips
// fits the work area of the monitor Window is on.
int largestScaleOnMonitor(HWND window, int width, int height, DWORD style, DWORD exStyle,
                          int dpiX, int dpiY);

} // namespace hueloft::win32
