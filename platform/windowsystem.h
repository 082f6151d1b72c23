// SPDX-License-Identifier: MIT
#pragma once

// What the window system lets a program do with its own top-level windows. Windows and X11
// let it learn and choose where a window is and keep a window above the others; a Wayland
// compositor does neither (the position is the compositor's alone, and the core protocol has
// no stacking request). The editor asks here instead of finding out by trying. And the
// Windows function SetWindowPos, for systems that do not have it: only the part the editor
// uses, switching a top-level window between always-on-top and ordinary.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

#ifndef _WIN32
inline constexpr std::intptr_t HWND_TOPMOST = -1;
inline constexpr std::intptr_t HWND_NOTOPMOST = -2;
inline constexpr unsigned SWP_NOSIZE = 1;
inline constexpr unsigned SWP_NOMOVE = 2;
inline constexpr unsigned SWP_SHOWWINDOW = 64;

// Window is the native id of a top-level window of this process (QWidget::winId()).
// With SWP_NOMOVE | SWP_NOSIZE only the stacking changes: HWND_TOPMOST keeps the window above
// ordinary windows, HWND_NOTOPMOST makes it ordinary again; SWP_SHOWWINDOW shows it.
// Returns nonzero on success, 0 when the window is unknown.
int SetWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                 unsigned flags);
#endif

struct WindowSystem
{
    std::string name;              // as the toolkit names it: "xcb", "wayland", "windows"
    bool placesWindows = true;     // a window's position can be read back and set
    bool keepsWindowsOnTop = true; // a window can be kept above ordinary windows
};

// The abilities of the window system that the toolkit calls platformName. Unknown names are
// taken to behave like X11 and Windows.
WindowSystem windowSystemNamed(std::string_view platformName);

// The window system this process runs on. Needs the application object.
WindowSystem currentWindowSystem();

} // namespace platform
