// SPDX-License-Identifier: MIT
// The colour dialog on Windows: the system's own, through ChooseColorA, with one command added
// through its hook: "Pick Screen Color".
//
// comdlg32 is loaded when the dialog first opens, not with this library: importing it would
// bring shell32, shlwapi, the print spooler's client and more into every start of the editor,
// for a dialog most runs never open.
//
// Picking covers the whole virtual screen (every monitor) with a window of our own that shows
// what the screen showed a moment before, under a crosshair. Only a window that covers the
// screen sees a click outside our own windows (capture alone sees one only while a button is
// held), and because it shows a still copy of the screen, the colour read where the user
// clicks is exactly the pixel they saw there, whatever the window manager or the compositor
// does with a window that is being hidden.

#include "swatchy/colordialog.h"

#include "swatchy/customcolors.h"

#include <windows.h>

#include <colordlg.h>
#include <commdlg.h>

#include <cstdio>

// The image of this DLL, whose address is its instance handle (the linker provides it).
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace swatchy {

namespace {

// One record per process, zero until the first call and reused by every call. Each call sets
// the same six fields again; the others (instance, custom data, template) stay zero.
CHOOSECOLORA record{};

// The dialog reads and edits the store in place, as an array of COLORREF.
static_assert(sizeof(COLORREF) == sizeof(CustomColorStore::value_type));
static_assert(sizeof(CustomColorStore) == 16 * sizeof(COLORREF));

// An id the system's dialog template leaves free (its own are in the 700s, the standard
// buttons' and Help's 1038).
constexpr int PickScreenColorId = 2032;
constexpr wchar_t PickerClass[] = L"swatchy.ScreenColorPicker";

// At most one pick at a time: the dialog is modal and the picker takes the mouse.
struct Picking
{
    HWND dialog = nullptr;
    HWND picker = nullptr;
    HDC still = nullptr; // the copy of the virtual screen, in physical pixels
    HBITMAP stillBitmap = nullptr;
    HGDIOBJ stillOld = nullptr;
    bool pressed = false; // a release without its press (a click begun before) is no pick
} picking;

HINSTANCE thisModule()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

using ChooseColorFn = BOOL(WINAPI *)(CHOOSECOLORA *);

// ChooseColorA from the system folder's comdlg32, looked up once; null when it cannot be had.
// Windows 7 without its loader update does not know the search flag: there the full path.
ChooseColorFn chooseColor()
{
    static bool looked = false;
    static ChooseColorFn function = nullptr;
    if (looked)
        return function;
    looked = true;
    HMODULE comdlg32 = LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!comdlg32 && GetLastError() == ERROR_INVALID_PARAMETER) {
        wchar_t path[MAX_PATH];
        const UINT length = GetSystemDirectoryW(path, MAX_PATH - 14);
        if (length > 0 && length < MAX_PATH - 14) {
            lstrcpyW(path + length, L"\\comdlg32.dll");
            comdlg32 = LoadLibraryW(path);
        }
    }
    if (comdlg32)
        function = reinterpret_cast<ChooseColorFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(comdlg32, "ChooseColorA")));
    if (!function) {
        std::fputs("swatchy: the colour dialog cannot open: comdlg32.dll is missing\n", stderr);
        std::fflush(stderr);
    }
    return function;
}

// The picker works in physical pixels whatever the calling program declared, so that the
// point clicked and the pixel read are the same on a scaled monitor. Windows 7 and 8 have no
// per-thread awareness: there the caller's own awareness holds.
using DpiContext = HANDLE;
using SetThreadDpiContext = DpiContext(WINAPI *)(DpiContext);
const DpiContext PerMonitorAwareV2 = reinterpret_cast<DpiContext>(-4);

SetThreadDpiContext threadDpiSetter()
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<SetThreadDpiContext>(reinterpret_cast<void (*)()>(
                        GetProcAddress(user32, "SetThreadDpiAwarenessContext")))
                  : nullptr;
}

void endPicking(bool take, int x, int y)
{
    const HWND picker = picking.picker;
    if (!picker)
        return;
    // Cleared first: releasing the capture and destroying the window send messages that would
    // end the pick a second time.
    picking.picker = nullptr;
    COLORREF color = CLR_INVALID;
    if (take)
        color = GetPixel(picking.still, x, y); // CLR_INVALID outside the copy
    ReleaseCapture();
    DestroyWindow(picker);
    SelectObject(picking.still, picking.stillOld);
    DeleteObject(picking.stillBitmap);
    DeleteDC(picking.still);
    picking.still = nullptr;
    UnregisterClassW(PickerClass, thisModule());
    const HWND dialog = picking.dialog;
    SetForegroundWindow(dialog);
    SetFocus(GetDlgItem(dialog, PickScreenColorId));
    // Escape and every other way out leave the dialog as it was. A colour goes in through the
    // dialog's own message, then once more into its Red, Green and Blue boxes, as if typed:
    // Wine's dialog ignores the message, and on Windows the boxes then already hold those
    // numbers.
    if (color == CLR_INVALID)
        return;
    SendMessageA(dialog, RegisterWindowMessageA(SETRGBSTRINGA), 0, LPARAM(color));
    SetDlgItemInt(dialog, COLOR_RED, GetRValue(color), FALSE);
    SetDlgItemInt(dialog, COLOR_GREEN, GetGValue(color), FALSE);
    SetDlgItemInt(dialog, COLOR_BLUE, GetBValue(color), FALSE);
}

LRESULT CALLBACK pickerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        const RECT &r = paint.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, picking.still, r.left, r.top,
               SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
        picking.pressed = true;
        return 0;
    case WM_LBUTTONUP:
        // The window's client area is the copy: its client point is the pixel to read.
        if (picking.pressed)
            endPicking(true, short(LOWORD(lParam)), short(HIWORD(lParam)));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            endPicking(false, 0, 0);
        return 0;
    case WM_RBUTTONUP:
    case WM_CAPTURECHANGED: // another program or the system took the mouse
    case WM_CANCELMODE:
        endPicking(false, 0, 0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            endPicking(false, 0, 0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void startPicking(HWND dialog)
{
    if (picking.picker)
        return;
    const SetThreadDpiContext setDpi = threadDpiSetter();
    const DpiContext callerDpi = setDpi ? setDpi(PerMonitorAwareV2) : nullptr;

    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = pickerProc;
    windowClass.hInstance = thisModule();
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515)); // IDC_CROSS
    windowClass.lpszClassName = PickerClass;

    const HDC screen = GetDC(nullptr);
    picking.still = CreateCompatibleDC(screen);
    picking.stillBitmap = CreateCompatibleBitmap(screen, width, height);
    bool ready = picking.still && picking.stillBitmap;
    if (ready) {
        picking.stillOld = SelectObject(picking.still, picking.stillBitmap);
        ready =
            BitBlt(picking.still, 0, 0, width, height, screen, left, top, SRCCOPY | CAPTUREBLT) &&
            RegisterClassExW(&windowClass);
    }
    ReleaseDC(nullptr, screen);
    if (ready) {
        picking.dialog = dialog;
        picking.pressed = false;
        picking.picker =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, PickerClass, L"", WS_POPUP, left, top,
                            width, height, dialog, nullptr, thisModule(), nullptr);
    }
    if (setDpi)
        setDpi(callerDpi);

    if (!picking.picker) {
        // Too little memory for the copy, say: the dialog stays as it was, and the user is told.
        if (picking.still) {
            if (picking.stillOld)
                SelectObject(picking.still, picking.stillOld);
            DeleteDC(picking.still);
        }
        if (picking.stillBitmap)
            DeleteObject(picking.stillBitmap);
        UnregisterClassW(PickerClass, thisModule());
        picking = Picking{};
        std::fputs("swatchy: no colour picked from the screen: the screen cannot be copied\n",
                   stderr);
        std::fflush(stderr);
        return;
    }
    ShowWindow(picking.picker, SW_SHOW);
    SetForegroundWindow(picking.picker);
    SetFocus(picking.picker);
    SetCapture(picking.picker);
}

// Below "Add to Custom Colors", as wide and as high, after it in the Tab order; the dialog
// grows by that row.
void addPickCommand(HWND dialog)
{
    const HWND add = GetDlgItem(dialog, COLOR_ADD);
    if (!add)
        return;
    RECT addRect;
    GetWindowRect(add, &addRect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&addRect), 2);
    RECT gap{0, 0, 0, 4}; // dialog units, the system's spacing between related buttons
    MapDialogRect(dialog, &gap);
    const int top = addRect.bottom + gap.bottom;
    const int height = addRect.bottom - addRect.top;
    const HWND button = CreateWindowExA(
        0, "BUTTON", "&Pick Screen Color", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
        addRect.left, top, addRect.right - addRect.left, height, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(PickScreenColorId)), thisModule(), nullptr);
    if (!button)
        return;
    SendMessageA(button, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(button, add, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT frame;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top + height + gap.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK dialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        addPickCommand(dialog);
        return TRUE; // the dialog's own first focus
    case WM_COMMAND:
        if (LOWORD(wParam) == PickScreenColorId && HIWORD(wParam) == BN_CLICKED) {
            startPicking(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        // Ended from outside while picking (the program's shutdown ends the dialog as Cancel).
        endPicking(false, 0, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

std::uint32_t showColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    record.lStructSize = sizeof record; // 36 in the 32-bit build, 72 in the 64-bit one
    record.hwndOwner = reinterpret_cast<HWND>(owner);
    record.lpCustColors = reinterpret_cast<COLORREF *>(customColors().data());
    record.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
    record.lpfnHook = dialogHook;
    record.rgbResult = color;
    // Cancel, a closed dialog and one that could not open (an invalid owner, no comdlg32) all
    // give the caller its own colour back, high byte included.
    const ChooseColorFn choose = chooseColor();
    return choose && choose(&record) ? static_cast<std::uint32_t>(record.rgbResult) : color;
}

} // namespace swatchy
