// SPDX-License-Identifier: MIT
// frmMain in Win32 (frmmain.h). In this file: the window class, the window and its controls
// made and laid out from the layout table, the window procedure and the edit boxes' subclass,
// and the controls' notifications turned into the core's events. What the core asks of the
// controls, the clipboard and the window is in frmmain_requests.cpp.
#include "editor/win32/frmmain.h"

#include "editor/nativelayout/controlids.h"
#include "editor/nativelayout/nativelayout.h"
#include "editor/win32/dlgabout.h"
#include "editor/win32/dpi.h"
#include "editor/win32/textmeasure.h"
#include "editor/win32/widetext.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace hueloft::win32 {

namespace {

const wchar_t kClassName[] = L"hueloft.frmMain";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;

bool isPushButton(HWND window)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpiW(className, L"Button") != 0)
        return false;
    const LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// A themed frame draws its caption in the theme's text colour on the window's ground: black on
// black in a high-contrast scheme whose face is black. Drawn without a theme it takes the
// colours WM_CTLCOLORSTATIC answers, the system's. uxtheme is loaded only when comctl32 themes
// the controls; without it there is nothing to undo.
void drawWithoutTheme(HWND control)
{
    using Fn = HRESULT(WINAPI *)(HWND, LPCWSTR, LPCWSTR);
    static const Fn setWindowTheme = [] {
        HMODULE uxtheme = GetModuleHandleW(L"uxtheme.dll");
        return uxtheme ? reinterpret_cast<Fn>(
                             reinterpret_cast<void *>(GetProcAddress(uxtheme, "SetWindowTheme")))
                       : nullptr;
    }();
    // A name no theme has: Wine refuses the empty one.
    if (setWindowTheme)
        setWindowTheme(control, L" ", L" ");
}

} // namespace

MainWindow::MainWindow(ExternalFunctions &functions, SettingsStore &settings)
    : m_form(*this, functions, settings)
{
}

MainWindow::~MainWindow()
{
    for (HBRUSH brush : m_panelBrushes) {
        if (brush)
            DeleteObject(brush);
    }
    if (m_font)
        DeleteObject(m_font);
}

bool MainWindow::registerClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0;
}

bool MainWindow::create(HINSTANCE instance)
{
    m_instance = instance;
    // Placed and sized by Form_Load and layOut once the window's DPI is known.
    m_window =
        CreateWindowExW(kWindowExStyle, kClassName, L"RGB Tintora", kWindowStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, this);
    if (!m_window)
        return false;
    const Dpi dpi = windowDpi(m_window);
    layOut(dpi.x, dpi.y);
    return true;
}

// Makes the controls the first time, and moves them and sets the font at every change of the
// DPI or of the system's message font: the layout grows with a font its texts need more room in.
void MainWindow::layOut(int dpiX, int dpiY)
{
    m_dpiX = dpiX;
    m_dpiY = dpiY;
    HFONT oldFont = m_font;
    m_font = dialogFont(dpiY);
    const FontMeasure measure(m_font, dpiY);
    const int largest = largestScaleOnMonitor(m_window, kMainClientWidth, kMainClientHeight,
                                              kWindowStyle, kWindowExStyle, dpiX, dpiY);
    const LayoutScale scale = fittingScale(mainWindowLayout(), mainWindowTexts(measure), measure,
                                           dpiX, dpiY, largest);

    const bool first = control(IDC_hsbColor0) == nullptr;
    const std::vector<NativeControl> controls = nativeMainLayout(scale);
    for (const NativeControl &native : controls) {
        const ControlLayout &layout = *native.layout;
        if (layout.kind == ControlKind::Picture)
            continue; // the sample is made off-screen: no window needed
        const DeviceRect &r = native.rect;
        HWND window = nullptr;
        if (first) {
            const wchar_t *className = L"Static";
            DWORD style = WS_CHILD | WS_VISIBLE;
            DWORD exStyle = 0;
            if (native.tabStop)
                style |= WS_TABSTOP;
            if (native.groupStart)
                style |= WS_GROUP;
            switch (layout.kind) {
            case ControlKind::Label:
                if (panelIndex(native.id) >= 0)
                    style |= SS_NOTIFY | WS_BORDER | SS_CENTER; // SS_NOTIFY: double-clicks
                else if (native.id == IDC_txtHexa)
                    style |= SS_RIGHT; // "&&" shows as "&": the static's prefix processing
                else
                    style |= SS_LEFT;
                break;
            case ControlKind::ScrollBar:
                className = L"ScrollBar";
                style |= SBS_HORZ;
                break;
            case ControlKind::TextBox:
                className = L"Edit";
                style |= ES_AUTOHSCROLL | ES_LEFT;
                exStyle |= WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Button:
                className = L"Button";
                style |= BS_PUSHBUTTON;
                break;
            case ControlKind::Frame:
                className = L"Button";
                style |= BS_GROUPBOX | WS_CLIPSIBLINGS;
                break;
            case ControlKind::Option:
                className = L"Button";
                style |= BS_AUTORADIOBUTTON;
                break;
            case ControlKind::CheckBox:
                className = L"Button";
                style |= BS_AUTOCHECKBOX;
                break;
            case ControlKind::Picture:
                break;
            }
            window = CreateWindowExW(exStyle, className, widen(layout.text).c_str(), style, r.left,
                                     r.top, r.width, r.height, m_window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(native.id)),
                                     m_instance, nullptr);
            if (layout.kind == ControlKind::Frame)
                drawWithoutTheme(window);
            if (layout.kind == ControlKind::ScrollBar) {
                SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_POS | SIF_PAGE, 0, 255, 0, 0, 0};
                SetScrollInfo(window, SB_CTL, &info, FALSE);
            } else if (layout.kind == ControlKind::TextBox) {
                // Typing stops at three characters; text set by the program is not cut.
                SendMessageW(window, EM_SETLIMITTEXT, 3, 0);
                SetWindowSubclass(window, editProc, native.id, reinterpret_cast<DWORD_PTR>(this));
            }
        } else {
            window = control(native.id);
            SetWindowPos(window, nullptr, r.left, r.top, r.width, r.height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
        // Three digits must show whole in a box 375 twips wide: the font's own margins would
        // cut the third.
        if (layout.kind == ControlKind::TextBox)
            SendMessageW(window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(1, 1));
    }
    if (first)
        SendMessageW(control(IDC_optLang0), BM_SETCHECK, BST_CHECKED, 0);
    if (oldFont)
        DeleteObject(oldFont);

    // The client area of the table; the frame and title bar are the system's at this DPI.
    const DeviceRect client = clientArea(kMainClientWidth, kMainClientHeight, scale);
    RECT outer = {0, 0, client.width, client.height};
    adjustWindowRect(outer, kWindowStyle, kWindowExStyle, dpiX);
    SetWindowPos(m_window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindow::isPlainAccessKey(const MSG &message) const
{
    if (message.message != WM_CHAR || message.wParam <= L' ' || !IsChild(m_window, message.hwnd))
        return false;
    const auto code = SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam,
                                   reinterpret_cast<LPARAM>(&message));
    return !(code & DLGC_WANTCHARS);
}

bool MainWindow::tookPasteKey(const MSG &message)
{
    if (message.message != WM_KEYDOWN ||
        (message.hwnd != m_window && !IsChild(m_window, message.hwnd)))
        return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool pasteKey = (message.wParam == 'V' && control && !shift) ||
                          (message.wParam == VK_INSERT && shift && !control);
    if (!pasteKey || GetKeyState(VK_MENU) < 0)
        return false;
    const int id = message.hwnd == m_window ? 0 : GetDlgCtrlID(message.hwnd);
    if (channelOfBox(id) >= 0 || sampleBoxOf(id) >= 0)
        return false;
    m_form.PasteColor();
    return true;
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MainWindow *self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    return self ? self->handle(message, wParam, lParam)
                : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE)
            m_knownTexts.erase(LOWORD(wParam));
        onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_HSCROLL:
        if (lParam)
            onScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return 0;
    case WM_NEXTDLGCTL: {
        // The dialog manager asks for this when an access key of a label moves the focus on
        // (Alt+W, Alt+H); a plain window has to do what a dialog's own procedure would.
        HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(m_window, GetFocus(), wParam != 0);
        if (next) {
            if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                SendMessageW(next, EM_SETSEL, 0, -1);
            SetFocus(next);
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int panel = panelIndex(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        if (panel >= 0 && m_panelBrushes[panel])
            return reinterpret_cast<LRESULT>(m_panelBrushes[panel]);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ACTIVATE:
        // The focus comes back where it was when the user returns to the window; the first
        // time, to the red scroll bar.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(m_window, focus))
                m_lastFocus = focus;
        } else {
            SetFocus(m_lastFocus ? m_lastFocus : control(IDC_hsbColor0));
        }
        return 0;
    case WM_DPICHANGED: {
        layOut(LOWORD(wParam), HIWORD(wParam));
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SETTINGCHANGE:
        // "Make text bigger" and the like change the message font, which the controls draw
        // with and the layout is measured in.
        if (wParam == SPI_SETNONCLIENTMETRICS)
            layOut(m_dpiX, m_dpiY);
        return DefWindowProcW(m_window, message, wParam, lParam);
    case WM_SHOWWINDOW:
        // What went wrong at start is shown once the window is up to own the box, from the
        // message loop, so that the start does not wait for the user.
        if (wParam && !m_problems.empty())
            PostMessageW(m_window, kShowProblemsMessage, 0, 0);
        return DefWindowProcW(m_window, message, wParam, lParam);
    case kShowProblemsMessage:
        showProblems();
        return 0;
    case WM_CLOSE:
        m_closing = true;
        m_form.Form_Unload();
        DestroyWindow(m_window);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Logging off ends the program without a WM_CLOSE: it saves like any other close.
        if (wParam)
            m_form.Form_Unload();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindow::editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data)
{
    auto *self = reinterpret_cast<MainWindow *>(data);
    const int channel = channelOfBox(int(id));
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter in a channel box reaches the box (it commits) instead of the dialog manager.
        const MSG *msg = reinterpret_cast<const MSG *>(lParam);
        const LRESULT code = DefSubclassProc(edit, message, wParam, lParam);
        if (channel >= 0 && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
            return code | DLGC_WANTALLKEYS;
        return code;
    }
    case WM_PASTE:
        // The context menu's Paste and Shift+Insert: a whole colour, or the text as digits.
        if (self->m_form.PasteColor())
            return 0;
        break;
    case WM_KEYDOWN:
        // The edit control pastes Shift+Insert without a WM_PASTE of its own.
        if (wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0 &&
            self->m_form.PasteColor())
            return 0;
        break;
    case WM_CHAR: {
        const int key = channel >= 0
                            ? self->m_form.ediColor_KeyPress(channel, int(wParam))
                            : self->m_form.ediSwatch_KeyPress(sampleBoxOf(int(id)), int(wParam));
        if (key == 0)
            return 0; // discarded
        wParam = WPARAM(key);
        break;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, editProc, id);
        break;
    default:
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

void MainWindow::onCommand(int id, int code, HWND control)
{
    if (id == IDOK && !control) {
        // Enter from the dialog manager: it presses a button only when one has the focus.
        HWND focus = GetFocus();
        if (focus && IsChild(m_window, focus) && isPushButton(focus))
            SendMessageW(focus, BM_CLICK, 0, 0);
        return;
    }
    if (id == IDCANCEL && !control)
        return; // Escape presses no button of this window

    if (code == EN_KILLFOCUS && (channelOfBox(id) >= 0 || sampleBoxOf(id) >= 0)) {
        // A box left with its caret after a value wider than itself would keep showing the
        // value's end: it reads from its first character again, as text the program sets does.
        SendMessageW(control, EM_SETSEL, 0, 0);
        SendMessageW(control, EM_SCROLLCARET, 0, 0);
    }
    const int channel = channelOfBox(id);
    if (channel >= 0) {
        if (code == EN_KILLFOCUS) {
            // Switching to another program keeps the focus in the box as far as this window
            // is concerned: nothing to commit until it moves to another control.
            HWND focus = GetFocus();
            if (focus && IsChild(m_window, focus))
                m_form.ediColor_LostFocus(channel);
        }
        return;
    }
    if (id == IDC_cpRGB && code == STN_DBLCLK) {
        m_form.cpRGB_DblClick();
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_cmdCopyRGB:
        m_form.cmdCopyRGB_Click();
        break;
    case IDC_cmdCopyHexa:
        m_form.cmdCopyHexa_Click();
        break;
    case IDC_cmdCopyHTML:
        m_form.cmdCopyHTML_Click();
        break;
    case IDC_cmdCopySample:
        m_form.cmdCopySample_Click();
        break;
    case IDC_cmdEditColor:
        m_form.cmdEditColor_Click();
        break;
    case IDC_cmdAbout:
        m_form.cmdAbout_Click();
        break;
    case IDC_cmdExit:
        m_form.cmdExit_Click();
        break;
    case IDC_chkTop: {
        const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (checked != m_checked) {
            m_checked = checked;
            m_form.chkTop_Click();
        }
        break;
    }
    default:
        for (int i = 0; i < 4; ++i) {
            if (id == optLangId(i) && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED &&
                i != m_selectedOption)
                selectNotation(i);
        }
        break;
    }
}

// Arrows, the trough and the keys change the value by one (line and page steps are both 1)
// and raise the change event; dragging raises the scroll event at every thumb position.
void MainWindow::onScroll(HWND bar, int request)
{
    const int channel = channelOfBar(GetDlgCtrlID(bar));
    if (channel < 0)
        return;
    const int value = channelValue(channel);
    switch (request) {
    case SB_LINELEFT:
    case SB_PAGELEFT:
        setChannelValue(channel, value - 1);
        break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
        setChannelValue(channel, value + 1);
        break;
    case SB_LEFT:
        setChannelValue(channel, 0);
        break;
    case SB_RIGHT:
        setChannelValue(channel, 255);
        break;
    case SB_THUMBTRACK: {
        SCROLLINFO info = {sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(bar, SB_CTL, &info);
        info.fMask = SIF_POS;
        info.nPos = info.nTrackPos;
        SetScrollInfo(bar, SB_CTL, &info, TRUE);
        m_form.hsbColor_Scroll(channel);
        break;
    }
    case SB_THUMBPOSITION: {
        SCROLLINFO info = {sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(bar, SB_CTL, &info);
        setChannelValue(channel, info.nTrackPos);
        break;
    }
    default:
        break;
    }
}

} // namespace hueloft::win32
