// SPDX-License-Identifier: MIT
#pragma once

// The layout table as the native Windows front-end creates it: device pixels at the window's
// real logical DPI, controls inside a frame placed in the window's client area (a group box
// is no parent on Windows: it would swallow its buttons' notifications), and the keyboard
// order turned into the creation order, which is what the dialog manager follows for Tab,
// access keys and arrow keys. No Windows header: the tests check it on any system.

#include "editor/core/layout.h"

#include <cstdint>
#include <vector>

namespace hueloft {

// 1440 twips to the logical inch: at 96 DPI a pixel is 15 twips, at 144 DPI 10. Rounded to the
// nearest pixel, halves away from zero, as MulDiv rounds.
int twipsToDevice(std::int64_t twips, int dpi);
// Back to twips, rounded the same way; in 64 bits for the extremes of a stored position.
std::int64_t deviceToTwips(std::int64_t pixels, int dpi);

struct DeviceRect
{
    int left = 0, top = 0, width = 0, height = 0;
};

// Both edges are rounded, not the size, so that controls that touch in twips touch in pixels.
DeviceRect twipsToDevice(int left, int top, int width, int height, int dpiX, int dpiY);

struct NativeControl
{
    const ControlLayout *layout = nullptr;
    int id = 0;          // IDC_<name>
    DeviceRect rect;     // in the main window's client area
    bool tabStop = false; // WS_TABSTOP when created (only the selected notation among optLang)
    bool groupStart = false; // WS_GROUP: arrow keys move only within optLang(0..3)
};

// Every control of the table in creation order: the two frames first (bottom of the z-order,
// so that they never paint over what they hold), then the rest by keyboard position. The
// hidden picture is listed too; the front-end decides whether it needs a window for it.
std::vector<NativeControl> nativeMainLayout(int dpiX, int dpiY);

// The About box, in twips like the main window's table.
struct AboutControl
{
    const char *name;
    int id;
    int left, top, width, height;
};
inline constexpr int kAboutClientWidth = 4950;
inline constexpr int kAboutClientHeight = 2610;
// Image1, Label1(0), Label1(2), Label1(1), Label1(3), cmdOK, Label2(0), top to bottom; the
// line Line1(0) runs from (120, 1680) to (4800, 1680), two pixels wide.
const std::vector<AboutControl> &aboutLayout();
inline constexpr int kAboutLineLeft = 120, kAboutLineRight = 4800, kAboutLineY = 1680;

} // namespace hueloft
