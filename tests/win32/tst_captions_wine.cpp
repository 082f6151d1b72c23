// SPDX-License-Identifier: MIT
// Measures every caption of a running hueloft window from outside, as the dialog font draws it
// at the window's own DPI, against the room its control gives it: a caption that does not fit
// is cut off on the screen. Run under Wine by tests/e2e/wine_dpi.sh, with the window open.
// Usage: tst_captions_wine.exe <window title> [least number of captions]
// Prints one line per caption; exits 1 when one is clipped or fewer than expected were found.
//        tst_captions_wine.exe --contrast <window title> <least number of texts> [<file.bmp>]
// Reads the window off the screen: every text must show in the system's text colour on its
// control's ground (a high-contrast scheme shows black text on its black face as nothing).
//        tst_captions_wine.exe --message-font <face> <percent>
// Makes the system's message font <face> at <percent> of 8 points, saved and announced to every
// window as the display settings do ("Make text bigger").

#include "editor/win32/dpi.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// By WM_GETTEXT: GetWindowText does not ask a control of another process, and would read an
// edit box's first text instead of what it shows.
std::wstring windowText(HWND window)
{
    std::wstring text(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
    text.resize(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
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
        // The text's own rectangle, inside the margins and whatever else the box keeps; the
        // caret after the last character needs its own room, or the box scrolls.
        RECT shownRect = {};
        SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shownRect));
        DWORD caret = 1;
        SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &caret, 0);
        room = shownRect.right - shownRect.left - int(caret);
        // What the box shows, not only what it could: its first character inside the text
        // rectangle, whether the box has the focus or was left.
        const LRESULT first = SendMessageW(control, EM_POSFROMCHAR, 0, 0);
        const int firstX = short(LOWORD(first));
        if (first == -1 || firstX < shownRect.left) {
            ++check.checked;
            ++check.clipped;
            std::printf("SCROLLED: Edit \"%ls\" shows its first character at %d, its text "
                        "starts at %d\n", caption.c_str(), firstX, int(shownRect.left));
            return TRUE;
        }
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

// The window's client area as the screen shows it, top row first, one COLORREF a pixel.
struct Capture
{
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

Capture captureClient(HWND window)
{
    Capture capture;
    RECT client = {};
    GetClientRect(window, &client);
    capture.width = client.right;
    capture.height = client.bottom;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto *bgrx = static_cast<const std::uint8_t *>(bits);
    capture.pixels.resize(std::size_t(capture.width) * capture.height);
    for (std::size_t i = 0; i < capture.pixels.size(); ++i)
        capture.pixels[i] = RGB(bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

// A 24-bit bitmap file of the capture, for the eye.
bool saveBitmap(const Capture &capture, const wchar_t *path)
{
    const int stride = (capture.width * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = capture.width;
    header.biHeight = capture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + DWORD(stride) * capture.height;
    std::vector<std::uint8_t> rows(std::size_t(stride) * capture.height);
    for (int y = 0; y < capture.height; ++y) {
        std::uint8_t *row = &rows[std::size_t(capture.height - 1 - y) * stride];
        for (int x = 0; x < capture.width; ++x) {
            const COLORREF c = capture.at(x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    FILE *out = _wfopen(path, L"wb");
    if (!out)
        return false;
    const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                         std::fwrite(&header, sizeof header, 1, out) == 1 &&
                         std::fwrite(rows.data(), rows.size(), 1, out) == 1;
    return std::fclose(out) == 0 && written;
}

int distance(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

struct Contrast
{
    HWND window;
    const Capture *capture;
    int dpi;
    HFONT font;
    int checked = 0;
    int unreadable = 0;
};

// Every text of the window must stand out from its control's ground: where the caption is,
// pixels lie far from the colour most of that place has. Black text on a black face has
// none; the line of a frame is left out, as the caption interrupts it.
BOOL CALLBACK checkContrast(HWND control, LPARAM parameter)
{
    Contrast &check = *reinterpret_cast<Contrast *>(parameter);
    const std::wstring caption = windowText(control);
    if (!(GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) || caption.empty())
        return TRUE;
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, check.window, reinterpret_cast<POINT *>(&r), 2);
    if (lstrcmpiW(className, L"Edit") == 0) {
        InflateRect(&r, -scaled(2, check.dpi), -scaled(2, check.dpi)); // the client edge
    } else if (lstrcmpiW(className, L"Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) {
            // The caption alone: from past the line's start to the caption's end.
            HDC screen = GetDC(nullptr);
            HGDIOBJ previous = SelectObject(screen, check.font);
            const std::wstring text = shown(caption, true);
            SIZE extent = {};
            GetTextExtentPoint32W(screen, text.c_str(), int(text.size()), &extent);
            SelectObject(screen, previous);
            ReleaseDC(nullptr, screen);
            r.left += scaled(10, check.dpi);
            r.right = std::min<LONG>(r.right, r.left + extent.cx);
            r.bottom = r.top + extent.cy;
        } else if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON ||
                   type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
            r.left += scaled(13 + 2, check.dpi); // the circle or box
        } else {
            InflateRect(&r, -scaled(3, check.dpi), -scaled(3, check.dpi)); // the bevel
        }
    } else if (lstrcmpiW(className, L"Static") != 0) {
        return TRUE;
    }
    const Capture &capture = *check.capture;
    std::vector<COLORREF> place;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, capture.height); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, capture.width); ++x)
            place.push_back(capture.at(x, y));
    std::vector<COLORREF> sorted = place;
    std::sort(sorted.begin(), sorted.end());
    COLORREF ground = 0;
    std::size_t longest = 0;
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t j = i;
        while (j < sorted.size() && sorted[j] == sorted[i])
            ++j;
        if (j - i > longest) {
            longest = j - i;
            ground = sorted[i];
        }
        i = j;
    }
    // A quarter of the way from black to white and more: what a reader tells apart at once.
    const int inText = int(std::count_if(place.begin(), place.end(), [&](COLORREF c) {
        return distance(c, ground) >= 3 * 64;
    }));
    // Each character shows at least one pixel; a stray end of the frame's line is not a text.
    const bool readable = inText >= int(shown(caption, true).size());
    ++check.checked;
    if (!readable)
        ++check.unreadable;
    std::printf("%s: %ls \"%ls\": %d pixels stand out from #%06lX\n",
                readable ? "ok" : "UNREADABLE", className, caption.c_str(), inText, ground);
    return TRUE;
}

int checkContrastOf(const wchar_t *title, int least, const wchar_t *bitmapPath)
{
    HWND window = FindWindowW(nullptr, title);
    if (!window) {
        std::fprintf(stderr, "tst_captions_wine: no window titled \"%ls\"\n", title);
        return 1;
    }
    const Capture capture = captureClient(window);
    if (bitmapPath && !saveBitmap(capture, bitmapPath)) {
        std::fprintf(stderr, "tst_captions_wine: cannot write %ls\n", bitmapPath);
        return 1;
    }
    const int dpi = hueloft::win32::windowDpi(window).y;
    Contrast check = {window, &capture, dpi, hueloft::win32::dialogFont(dpi)};
    EnumChildWindows(window, checkContrast, reinterpret_cast<LPARAM>(&check));
    DeleteObject(check.font);
    std::printf("%d texts, %d unreadable\n", check.checked, check.unreadable);
    if (check.checked < least) {
        std::fprintf(stderr, "tst_captions_wine: %d texts found, %d expected\n", check.checked,
                     least);
        return 1;
    }
    return check.unreadable ? 1 : 0;
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
    if (argc >= 4 && std::wcscmp(argv[1], L"--contrast") == 0)
        return checkContrastOf(argv[2], _wtoi(argv[3]), argc > 4 ? argv[4] : nullptr);
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
