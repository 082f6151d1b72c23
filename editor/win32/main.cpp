// SPDX-License-Identifier: MIT
// hueloft on Windows. The main window is not built yet: this program only proves that the
// toolkit-free code links into a native executable.

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return 0;
}
