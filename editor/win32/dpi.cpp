// SPDX-License-Identifier: MIT
#include "editor/win32/dpi.h"

namespace hueloft::win32 {

namespace {

template<typename Function> Function user32(const char *name)
{
    static HMODULE module = GetModuleHandleW(L"user32");
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

Dpi systemDpi()
{
    HDC screen = GetDC(nullptr);
    const Dpi dpi = {GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

Dpi windowDpi(HWND window)
{
    using Fn = UINT(WINAPI *)(HWND);
    static const auto getDpiForWindow = user32<Fn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        // One value for both directions: Windows has had square pixels since per-monitor DPI.
        const int dpi = int(getDpiForWindow(window));
        if (dpi > 0)
            return {dpi, dpi};
    }
    return systemDpi();
}

HFONT dialogFont(int dpi)
{
    using Fn = BOOL(WINAPI *)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = user32<Fn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return CreateFontIndirectW(&metrics.lfMessageFont);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    // The system's value is for the system DPI.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi().y);
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

void adjustWindowRect(RECT &rect, DWORD style, DWORD exStyle, int dpi)
{
    using Fn = BOOL(WINAPI *)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto forDpi = user32<Fn>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&rect, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

} // namespace hueloft::win32
