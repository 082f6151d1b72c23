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

} // namespace hueloft
