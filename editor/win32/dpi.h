// SPDX-License-Identifier: MIT
#pragma once

// The window's logical DPI in each direction, and what depends on it: the dialog font and the
// outer size of a client area. The per-monitor functions of Windows 10 are used where they
// exist and the system-wide values elsewhere.

#include <windows.h>

namespace hueloft::win32 {

struct Dpi
{
    int x = 96, y = 96;
};

Dpi windowDpi(HWND window);

// The system's message font (the default dialog font) at Dpi; the caller deletes it.
HFONT dialogFont(int dpi);

// Grows Rect from a client area to the window's outer rectangle at Dpi.
void adjustWindowRect(RECT &rect, DWORD style, DWORD exStyle, int dpi);

} // namespace hueloft::win32
