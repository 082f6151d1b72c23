// SPDX-License-Identifier: MIT
// The baseline of the Windows start-up benchmark: the editor's window with its 31 controls
// made bare. The same table (editor/core/layout.cpp), window classes, styles, message font and
// common controls 6 (the editor's manifest, linked in by bench/wine-startup.sh), built like
// hueloft.exe (static run-time); no settings file, no swatchy.dll, no layout from the font
// (twips at 96 DPI), no handlers.

#include "editor/core/layout.h"

#include <windows.h>

#include <commctrl.h>

#include <cstring>

using hueloft::ControlKind;

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int pixels(int twips)
{
    return twips / 15;
}

void makeControls(HWND window, HINSTANCE instance, HFONT font)
{
    int id = 100;
    for (const hueloft::ControlLayout &c : hueloft::mainWindowLayout()) {
        if (c.kind == ControlKind::Picture)
            continue; // the editor draws its sample off-screen
        int left = c.left, top = c.top;
        if (c.container) {
            for (const hueloft::ControlLayout &frame : hueloft::mainWindowLayout()) {
                if (std::strcmp(frame.name, c.container) == 0) {
                    left += frame.left;
                    top += frame.top;
                }
            }
        }
        const char *className = "Button";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        DWORD exStyle = 0;
        switch (c.kind) {
        case ControlKind::Label:
        case ControlKind::Picture:
            className = "Static";
            break;
        case ControlKind::ScrollBar:
            className = "ScrollBar";
            style |= SBS_HORZ;
            break;
        case ControlKind::TextBox:
            className = "Edit";
            style |= ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Button:
            style |= BS_PUSHBUTTON;
            break;
        case ControlKind::Frame:
            style |= BS_GROUPBOX | WS_CLIPSIBLINGS;
            break;
        case ControlKind::Option:
            style |= BS_AUTORADIOBUTTON;
            break;
        case ControlKind::CheckBox:
            style |= BS_AUTOCHECKBOX;
            break;
        }
        HWND control = CreateWindowExA(exStyle, className, c.text, style, pixels(left),
                                       pixels(top), pixels(c.width), pixels(c.height), window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)),
                                       instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"baseline";
    RegisterClassW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer = {0, 0, pixels(hueloft::kMainClientWidth), pixels(hueloft::kMainClientHeight)};
    AdjustWindowRect(&outer, style, FALSE);
    HWND window = CreateWindowW(L"baseline", L"Baseline window", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                                nullptr, nullptr, instance, nullptr);
    makeControls(window, instance, font);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
