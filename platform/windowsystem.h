// SPDX-License-Identifier: MIT
#pragma once

// What the window system lets a program do with its own top-level windows. Windows and X11
// let it learn and choose where a window is and keep a window above the others; a Wayland
// compositor does neither (the position is the compositor's alone, and the core protocol has
// no stacking request). The editor asks here instead of finding out by trying.

#include <string>
#include <string_view>

namespace platform {

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
