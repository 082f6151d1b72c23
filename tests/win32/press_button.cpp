// SPDX-License-Identifier: MIT
// Presses a button of another program's window as a person would:
// press_button <window title> <button text> <seconds>. Waits that long at most for a visible
// top-level window of that title (blanks after it aside) with a button (push, radio or check box) whose text, without
// its "&", starts with the one given; a radio button is selected, any other pressed. Ends with
// 0, or 1 when none came.

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

struct Search
{
    const wchar_t *title;
    std::wstring text;
    HWND button = nullptr;
};

std::wstring withoutAmpersands(const wchar_t *text)
{
    std::wstring plain;
    for (; *text; ++text) {
        if (*text != L'&')
            plain += *text;
    }
    return plain;
}

BOOL CALLBACK findButton(HWND child, LPARAM data)
{
    auto *search = reinterpret_cast<Search *>(data);
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    if (lstrcmpiW(name, L"Button") == 0 && IsWindowVisible(child) &&
        withoutAmpersands(text).rfind(search->text, 0) == 0) {
        search->button = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK findWindow(HWND window, LPARAM data)
{
    auto *search = reinterpret_cast<Search *>(data);
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    // NSIS ends its captions with a blank.
    std::wstring title(text);
    while (!title.empty() && title.back() == L' ')
        title.pop_back();
    if (IsWindowVisible(window) && title == search->title)
        EnumChildWindows(window, findButton, data);
    return search->button ? FALSE : TRUE;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 4)
        return 2;
    Search search{argv[1], argv[2]};
    const DWORD waitMs = DWORD(std::wcstoul(argv[3], nullptr, 10) * 1000);
    const DWORD start = GetTickCount();
    while (!search.button) {
        EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
        if (search.button || GetTickCount() - start >= waitMs)
            break;
        Sleep(100);
    }
    if (!search.button)
        return 1;
    const LONG style = GetWindowLongW(search.button, GWL_STYLE) & BS_TYPEMASK;
    if (style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON) {
        // Its group's other buttons are cleared, as a click would.
        HWND parent = GetParent(search.button);
        for (HWND other = GetWindow(parent, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
            const LONG kind = GetWindowLongW(other, GWL_STYLE) & BS_TYPEMASK;
            if (other != search.button && (kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON))
                SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        SendMessageW(search.button, BM_SETCHECK, BST_CHECKED, 0);
    } else {
        PostMessageW(search.button, BM_CLICK, 0, 0);
    }
    return 0;
}
