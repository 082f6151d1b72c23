// SPDX-License-Identifier: MIT
#include "editor/win32/textmeasure.h"

#include "editor/win32/dpi.h"
#include "editor/win32/widetext.h"

#include <string>

namespace hueloft::win32 {

FontMeasure::FontMeasure(HFONT font, int dpi)
    : m_dc(CreateCompatibleDC(nullptr))
    , m_previous(SelectObject(m_dc, font))
    , m_dpi(dpi)
{
    TEXTMETRICW metrics = {};
    GetTextMetricsW(m_dc, &metrics);
    // The internal leading is room for accents above capitals: a control may cut it off
    // without cutting a letter.
    m_leading = metrics.tmInternalLeading;
    m_em = metrics.tmHeight - m_leading;
}

FontMeasure::~FontMeasure()
{
    SelectObject(m_dc, m_previous);
    DeleteDC(m_dc);
}

TextNeed FontMeasure::need(const ControlLayout &control, std::string_view text) const
{
    const std::wstring wide = widen(std::string(text).c_str());
    SIZE extent = {};
    GetTextExtentPoint32W(m_dc, wide.c_str(), int(wide.size()), &extent);
    const auto at = [this](int pixelsAt96) { return MulDiv(pixelsAt96, m_dpi, 96); };
    switch (control.kind) {
    case ControlKind::Button:
        return {extent.cx + 2 * at(3), m_em + 2 * at(3)};
    case ControlKind::Option:
    case ControlKind::CheckBox:
        return {extent.cx + at(13 + 4), m_em}; // the box or circle and its gap
    case ControlKind::Frame:
        return {extent.cx + 2 * at(8), m_em}; // the frame's line each side of the caption
    case ControlKind::TextBox: {
        // The client edge, the one-pixel margins the window gives its boxes, the pixel the
        // edit control keeps inside a client edge on each side (EM_GETRECT), and the caret
        // after the last digit: without room for it the box scrolls its first digit away.
        DWORD caret = 1;
        SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &caret, 0);
        return {extent.cx + 2 * at(2) + 2 + 2 + int(caret), m_em + 2 * at(2)};
    }
    default:
        return {extent.cx, m_em};
    }
}

int FontMeasure::wrappedHeight(const ControlLayout &, std::string_view text, int width) const
{
    const std::wstring wide = widen(std::string(text).c_str());
    RECT box = {0, 0, width, 0};
    DrawTextW(m_dc, wide.c_str(), int(wide.size()), &box,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return box.bottom - box.top - m_leading;
}

int largestScaleOnMonitor(HWND window, int width, int height, DWORD style, DWORD exStyle,
                          int dpiX, int dpiY)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return kLargestScale;
    RECT frame = {0, 0, 0, 0};
    adjustWindowRect(frame, style, exStyle, dpiX);
    const RECT &work = monitor.rcWork;
    return largestScaleOnScreen(width, height, frame.right - frame.left, frame.bottom - frame.top,
                                work.right - work.left, work.bottom - work.top, dpiX, dpiY);
}

} // namespace hueloft::win32
