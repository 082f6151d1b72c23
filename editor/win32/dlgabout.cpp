// SPDX-License-Identifier: MIT
#include "editor/win32/dlgabout.h"

#include "editor/nativelayout/controlids.h"
#include "editor/nativelayout/nativelayout.h"
#include "editor/core/twips.h"
#include "editor/resources/buildinfo.h"
#include "editor/win32/dpi.h"
#include "editor/win32/textmeasure.h"
#include "editor/win32/widetext.h"

#include <cstdint>
#include <string>

namespace hueloft::win32 {

namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

struct AboutState
{
    HINSTANCE instance;
    HFONT font = nullptr;
    HICON icon = nullptr;
};

// The shown text of a control of the About box, from the one list that the layout measures.
const ShownText *shownText(const std::vector<ShownText> &texts, const AboutControl &control)
{
    for (const ShownText &text : texts) {
        if (text.control == control.layout)
            return &text;
    }
    return nullptr;
}

void createControls(HWND dialog, AboutState &state)
{
    const Dpi dpi = windowDpi(dialog);
    state.font = dialogFont(dpi.y);
    const FontMeasure measure(state.font, dpi.y);
    const std::vector<ShownText> texts =
        aboutBoxTexts(HUELOFT_COPYRIGHT, HUELOFT_CONTACT, HUELOFT_DISTRIBUTION_NOTICE);
    const LayoutScale scale =
        fittingScale(aboutBoxLayout(), texts, measure, dpi.x, dpi.y,
                     largestScaleOnMonitor(dialog, kAboutClientWidth, kAboutClientHeight,
                                           kDialogStyle, WS_EX_DLGMODALFRAME, dpi.x, dpi.y));
    for (const AboutControl &c : nativeAboutLayout(scale)) {
        const DeviceRect &r = c.rect;
        const ShownText *shown = shownText(texts, c);
        const wchar_t *className = L"Static";
        // The owner's texts are plain text: an "&" in them is no access key.
        DWORD style = WS_CHILD | WS_VISIBLE | SS_NOPREFIX;
        if (c.id == IDC_cmdOK) {
            className = L"Button";
            style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON;
        } else if (c.id == IDC_Image1) {
            style = WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL;
        } else if (shown && shown->wraps) {
            style |= SS_LEFT; // wraps within the label
        } else {
            style |= SS_LEFTNOWORDWRAP;
        }
        HWND control = CreateWindowExW(
            0, className, widen(shown ? shown->text.c_str() : "").c_str(), style, r.left, r.top,
            r.width, r.height, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
            state.instance, nullptr);
        if (c.id == IDC_Image1) {
            // The icon at its own size: 32 pixels at 96 DPI, as many as the 480 twips hold.
            state.icon = static_cast<HICON>(
                LoadImageW(state.instance, MAKEINTRESOURCEW(1), IMAGE_ICON, r.width, r.height, 0));
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(state.icon), 0);
        } else {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
        }
    }
    // Line1(0): two pixels wide, in the window frame colour.
    const DeviceRect line =
        twipsToDevice(kAboutLineLeft, kAboutLineY, kAboutLineRight - kAboutLineLeft, 0, scale);
    CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, line.left,
                    line.top - 1, line.width, 2, dialog,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_Line10)), state.instance,
                    nullptr);

    // Client area of the layout; centred on the screen by the outer size, in twips.
    const DeviceRect client = clientArea(kAboutClientWidth, kAboutClientHeight, scale);
    RECT outer = {0, 0, client.width, client.height};
    adjustWindowRect(outer, kDialogStyle, WS_EX_DLGMODALFRAME, dpi.x);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const std::int64_t leftTwips = centredOffset(
        deviceToTwips(GetSystemMetrics(SM_CXSCREEN), dpi.x), deviceToTwips(width, dpi.x));
    const std::int64_t topTwips = centredOffset(deviceToTwips(GetSystemMetrics(SM_CYSCREEN), dpi.y),
                                                deviceToTwips(height, dpi.y));
    SetWindowPos(dialog, nullptr, twipsToDevice(leftTwips, dpi.x), twipsToDevice(topTwips, dpi.y),
                 width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = reinterpret_cast<AboutState *>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<AboutState *>(lParam);
        createControls(dialog, *state);
        SetFocus(GetDlgItem(dialog, IDC_cmdOK));
        return FALSE; // the focus is set
    case WM_COMMAND:
        // OK is both the default and the cancel button: Enter, Escape and the close box
        // reach it as IDOK or IDCANCEL.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
        // Colour and ground both the system's: the ground alone leaves the DC's black text,
        // unreadable on a high-contrast scheme's dark face.
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNTEXT));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DESTROY:
        if (state) {
            DeleteObject(state->font);
            DestroyIcon(state->icon);
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void showAboutBox(HINSTANCE instance, HWND owner)
{
    // An empty template: the dialog and its controls are made in twips at the real DPI.
    struct alignas(DWORD) Template
    {
        DLGTEMPLATE header;
        WORD menu, windowClass;
        wchar_t title[18];
    } dialogTemplate = {};
    dialogTemplate.header.style = kDialogStyle;
    dialogTemplate.header.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    static_assert(sizeof L"About RGB Tintora" == sizeof dialogTemplate.title);
    std::wstring(L"About RGB Tintora").copy(dialogTemplate.title, 17);
    AboutState state{instance};
    DialogBoxIndirectParamW(instance, &dialogTemplate.header, owner, aboutProc,
                            reinterpret_cast<LPARAM>(&state));
}

} // namespace hueloft::win32
