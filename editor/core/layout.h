// SPDX-License-Identifier: MIT
#pragma once

// The fixed layout of the main window as data: every control with its kind, container, text,
// position and size in twips, and its place in the keyboard order. Change the window here.

#include <span>

namespace hueloft {

enum class ControlKind { Label, ScrollBar, TextBox, Button, Frame, Option, CheckBox, Picture };

struct ControlLayout
{
    const char *name;      // object name; members of a control array end in their index
    ControlKind kind;
    const char *container; // nullptr for the window's client area
    const char *text;      // caption, with "&" before the access key
    int left, top, width, height; // twips, relative to the container
    int tabIndex;                 // position in the keyboard order
};

inline constexpr int kMainClientWidth = 4350;  // twips
inline constexpr int kMainClientHeight = 5280; // twips

std::span<const ControlLayout> mainWindowLayout();

// The About box, top to bottom: Image1, Label1(0) title, Label1(2) version, Label1(1) rights,
// Label1(3) contact, cmdOK, Label2(0) the distribution notice, which wraps. The rights, the
// contact and the notice are the owner's (text nullptr here); the line Line1(0) runs from
// (120, 1680) to (4800, 1680), two pixels wide.
std::span<const ControlLayout> aboutBoxLayout();
inline constexpr int kAboutClientWidth = 4950;  // twips
inline constexpr int kAboutClientHeight = 2610; // twips
inline constexpr int kAboutLineLeft = 120, kAboutLineRight = 4800, kAboutLineY = 1680;

} // namespace hueloft
