// SPDX-License-Identifier: MIT
// Reads a message box as a person would and closes it with OK: read_box <title> <seconds>.
// Waits that long at most for a box of that title; prints its text (UTF-8) on a line of its
// own and ends with 0, or ends with 1 when none came.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 3)
        return 2;
    const DWORD waitMs = DWORD(std::wcstoul(argv[2], nullptr, 10) * 1000);
    const DWORD start = GetTickCount();
    HWND box = nullptr;
    for (;;) {
        box = FindWindowW(L"#32770", argv[1]);
        if ((box && IsWindowVisible(box)) || GetTickCount() - start >= waitMs)
            break;
        Sleep(50);
    }
    if (!box)
        return 1;
    // The text of a message box is its static control of id 0xFFFF.
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, int(sizeof text / sizeof text[0]));
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), int(utf8.size()), nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    std::fflush(stdout);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}
