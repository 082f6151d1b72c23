// SPDX-License-Identifier: MIT
#pragma once

// The layout table as the native Windows front-end creates it: device pixels at the window's
// real logical DPI, controls inside a frame placed in the window's client area (a group box
// is no parent on Windows: it would swallow its buttons' notifications), and the keyboard
// order turned into the creation order, which is what the dialog manager follows for Tab,
// access keys and arrow keys. No Windows header: the tests check it on any system.

#include "editor/core/layoutscale.h"

#include <vector>

namespace hueloft {

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
std::vector<NativeControl> nativeMainLayout(const LayoutScale &scale);

// The About box's controls with their ids (cmdOK is IDOK), in the table's order.
struct AboutControl
{
    const ControlLayout *layout = nullptr;
    int id = 0;
    DeviceRect rect;
};
std::vector<AboutControl> nativeAboutLayout(const LayoutScale &scale);

} // namespace hueloft
