// SPDX-License-Identifier: MIT
// Measures every caption of a running hueloft window from outside, as the dialog font draws it
// at the window's own DPI, against the room its control gives it: a caption that does not fit
// is cut off on the screen. Run under Wine by tests/e2e/wine_dpi.sh, with the window open.
// Usage: tst_captions_wine.exe <window title> [least number of captions]
// Prints one line per caption; exits 1 when one is clipped or fewer than expected were found.
//        tst_captions_wine.exe --message-font <face> <percent>
// Makes the system's message font <face> at <percent> of 8 points, saved and announced to every
// window as the display settings do ("Make text bigger").

#include "editor/win32/dpi.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Check
{
    HFONT font;
    int dpi;
    int checked = 0;
    int clipped = 0;
};

std::wstring windowText(HWND window)
{
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), int(text.size())));
    return text;
}

// What the control shows: "&&" is one "&", a single "&" marks the access key and takes no room.
std::wstring shown(const std::wstring &caption, bool prefixes)
{
    if (!prefixes)
        return caption;
    std::wstring text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size())
            ++i;
        text.push_back(caption[i]);
    }
    return text;
}

int scaled(int pixelsAt96, int dpi)
{
    return MulDiv(pixelsAt96, dpi, 96);
}

BOOL CALLBACK checkOne(HWND control, LPARAM parameter)
{
    Check &check = *reinterpret_cast<Check *>(parameter);
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (!(style & WS_VISIBLE))
        return TRUE;
    const std::wstring caption = windowText(control);
    if (caption.empty())
        return TRUE;
    RECT client = {};
    GetClientRect(control, &client);
    int room = client.right - client.left;
    const int height = client.bottom - client.top;
    bool wraps = false;
    bool prefixes = true;

    if (lstrcmpiW(className, L"Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX)
            room -= 2 * scaled(8, check.dpi); // the frame's line each side of its caption
        else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                 type == BS_AUTORADIOBUTTON)
            room -= scaled(13 + 4, check.dpi); // the box or circle and its gap
        else
            room -= 2 * scaled(3, check.dpi); // the button's edges
    } else if (lstrcmpiW(className, L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        if (type == SS_ICON || type == SS_BITMAP || type == SS_ETCHEDHORZ)
            return TRUE;
        prefixes = !(style & SS_NOPREFIX);
        wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    } else if (lstrcmpiW(className, L"Edit") == 0) {
        prefixes = false;
        const LRESULT margins = SendMessageW(control, EM_GETMARGINS, 0, 0);
        room -= LOWORD(margins) + HIWORD(margins);
    } else {
        return TRUE;
    }

    const std::wstring text = shown(caption, prefixes);
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, check.font);
    int needWidth = 0, needHeight = 0;
    if (wraps) {
        // Word-wrapped within the control's width: every line must fit in its height.
        RECT box = {0, 0, room, 0};
        needHeight = DrawTextW(screen, text.c_str(), int(text.size()), &box,
                               DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        needWidth = box.right - box.left;
    } else {
        SIZE size = {};
        GetTextExtentPoint32W(screen, text.c_str(), int(text.size()), &size);
        needWidth = size.cx;
        needHeight = size.cy;
    }
    // The internal leading is room for accents above capitals: empty in these captions, so a
    // control may cut it off without cutting a letter.
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen, &metrics);
    needHeight -= metrics.tmInternalLeading;
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);

    const bool fits = needWidth <= room && needHeight <= height;
    ++check.checked;
    if (!fits)
        ++check.clipped;
    std::printf("%s: %ls \"%ls\" needs %dx%d, has %dx%d\n", fits ? "ok" : "CLIPPED", className,
                text.c_str(), needWidth, needHeight, room, height);
    return TRUE;
}

} // namespace

int setMessageFont(const wchar_t *face, int percent)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return 1;
    HDC screen = GetDC(nullptr);
    metrics.lfMessageFont.lfHeight = -MulDiv(8 * percent, GetDeviceCaps(screen, LOGPIXELSY), 7200);
    ReleaseDC(nullptr, screen);
    lstrcpynW(metrics.lfMessageFont.lfFaceName, face, LF_FACESIZE);
    if (!SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics,
                               SPIF_UPDATEINIFILE | SPIF_SENDCHANGE))
        return 1;
    std::printf("message font %ls, %d px\n", face, int(-metrics.lfMessageFont.lfHeight));
    return 0;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc == 4 && std::wcscmp(argv[1], L"--message-font") == 0)
        return setMessageFont(argv[2], _wtoi(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: tst_captions_wine <window title> [least captions]\n");
        return 2;
    }
    const int least = argc > 2 ? _wtoi(argv[2]) : 1;
    HWND window = FindWindowW(nullptr, argv[1]);
    if (!window) {
        std::fprintf(stderr, "tst_captions_wine: no window titled \"%ls\"\n", argv[1]);
        return 1;
    }
    const int dpi = hueloft::win32::windowDpi(window).y;
    Check check = {hueloft::win32::dialogFont(dpi), dpi};
    EnumChildWindows(window, checkOne, reinterpret_cast<LPARAM>(&check));
    DeleteObject(check.font);
    std::printf("%d captions at %d DPI, %d clipped\n", check.checked, dpi, check.clipped);
    if (check.checked < least) {
        std::fprintf(stderr, "tst_captions_wine: %d captions found, %d expected\n", check.checked,
                     least);
        return 1;
    }
    return check.clipped ? 1 : 0;
}
