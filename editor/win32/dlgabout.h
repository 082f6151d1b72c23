// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

namespace hueloft::win32 {

// dlgAbout: shown modal to Owner, centred on the screen, laid out afresh every time; returns
// when OK (Enter, Escape, Space or a click) or the close box has closed it.
void showAboutBox(HINSTANCE instance, HWND owner);

} // namespace hueloft::win32
