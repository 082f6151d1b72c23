// SPDX-License-Identifier: MIT
// frmMain in Win32 (frmmain.h). In this file: what the core asks of the window (MainView):
// the controls' values, texts and colours, the clipboard, the window's place and size, the
// About box and the closing. The window itself, its controls and its messages are in
// frmmain.cpp.
#include "editor/win32/frmmain.h"

#include "editor/core/layoutscale.h"
#include "editor/nativelayout/controlids.h"
#include "editor/win32/dlgabout.h"
#include "editor/win32/widetext.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace hueloft::win32 {

// ---------------------------------------------------------------------------------------------
// The controls, as the core asks for them

int MainWindow::channelValue(int channel) const
{
    SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(control(hsbColorId(channel)), SB_CTL, &info);
    return info.nPos;
}

void MainWindow::setChannelValue(int channel, int value)
{
    value = clampChannel(value);
    if (value == channelValue(channel))
        return;
    SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, value, 0};
    SetScrollInfo(control(hsbColorId(channel)), SB_CTL, &info, TRUE);
    m_form.hsbColor_Change(channel); // nested inside the assignment
}

namespace {

// Only ASCII digits are ever read from a box; anything else becomes a non-digit.
std::string narrowed(const std::wstring &wide)
{
    std::string narrow;
    narrow.reserve(wide.size());
    for (wchar_t c : wide)
        narrow.push_back(c < 128 ? char(c) : '?');
    return narrow;
}

} // namespace

std::string MainWindow::text(int id) const
{
    auto known = m_knownTexts.find(id);
    if (known == m_knownTexts.end()) {
        HWND window = control(id);
        const int length = GetWindowTextLengthW(window);
        std::wstring wide(length + 1, L'\0');
        wide.resize(GetWindowTextW(window, wide.data(), length + 1));
        known = m_knownTexts.emplace(id, std::move(wide)).first;
    }
    return narrowed(known->second);
}

void MainWindow::setText(int id, const std::string &text)
{
    std::wstring wide = widen(text.c_str());
    // A label already showing the text is left alone. An edit box is always set: setting its
    // text also puts the caret at the start and empties its undo, which a commit relies on.
    const bool editBox = channelOfBox(id) >= 0 || sampleBoxOf(id) >= 0;
    const auto known = m_knownTexts.find(id);
    if (!editBox && known != m_knownTexts.end() && known->second == wide)
        return;
    // An edit box reports the change while the text is set, which forgets what was known.
    if (SetWindowTextW(control(id), wide.c_str()))
        m_knownTexts[id] = std::move(wide);
    else
        m_knownTexts.erase(id);
}

std::string MainWindow::channelText(int channel) const
{
    return text(ediColorId(channel));
}

void MainWindow::showChannelText(int channel, const std::string &text)
{
    setText(ediColorId(channel), text);
}

int MainWindow::focusedChannelBox() const
{
    const HWND focus = GetFocus();
    return focus && GetParent(focus) == m_window ? channelOfBox(GetDlgCtrlID(focus)) : -1;
}

std::string MainWindow::sampleSideText(int index) const
{
    return text(ediSwatchId(index));
}

void MainWindow::showSampleSideText(int index, const std::string &text)
{
    setText(ediSwatchId(index), text);
}

void MainWindow::setPanelColor(int id, ColorValue color)
{
    const int panel = panelIndex(id);
    if (panel < 0 || (m_panelBrushes[panel] && m_panelColors[panel] == color))
        return;
    m_panelColors[panel] = color;
    HBRUSH old = m_panelBrushes[panel];
    m_panelBrushes[panel] = CreateSolidBrush(color); // COLORREF is 0x00BBGGRR too
    InvalidateRect(control(id), nullptr, TRUE);
    if (old)
        DeleteObject(old);
}

void MainWindow::setSampleColor(ColorValue color)
{
    setPanelColor(IDC_cpRGB, color);
}

void MainWindow::setChipColor(int channel, ColorValue color)
{
    setPanelColor(cpColorId(channel), color);
}

void MainWindow::setRgbCaption(const std::string &caption)
{
    m_captionRGB = caption;
    setText(IDC_txtRGB, caption);
}

void MainWindow::setHexaCaption(const std::string &caption)
{
    m_captionHexa = caption;
    setText(IDC_txtHexa, caption); // the static shows "&&" as "&"
}

void MainWindow::selectNotation(int index)
{
    for (int i = 0; i < 4; ++i) {
        HWND option = control(optLangId(i));
        const WPARAM check = i == index ? BST_CHECKED : BST_UNCHECKED;
        if (WPARAM(SendMessageW(option, BM_GETCHECK, 0, 0)) != check)
            SendMessageW(option, BM_SETCHECK, check, 0);
        // Only the selected notation is a stop of the Tab key; the arrow keys move within. A
        // style set is a server trip under Wine: only the options whose style changes.
        const LONG style = GetWindowLongW(option, GWL_STYLE);
        const LONG wanted = i == index ? style | WS_TABSTOP : style & ~WS_TABSTOP;
        if (wanted != style)
            SetWindowLongW(option, GWL_STYLE, wanted);
    }
    if (index != m_selectedOption) {
        m_selectedOption = index;
        m_form.optLang_Click(index);
    }
}

bool MainWindow::isTopMostChecked() const
{
    return SendMessageW(control(IDC_chkTop), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::setTopMostChecked(bool checked)
{
    SendMessageW(control(IDC_chkTop), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (checked != m_checked) {
        m_checked = checked;
        m_form.chkTop_Click();
    }
}

void MainWindow::focusRedChannel()
{
    SetFocus(control(IDC_hsbColor0));
}

// ---------------------------------------------------------------------------------------------
// The clipboard

bool MainWindow::putOnClipboard(UINT format, HANDLE data)
{
    // Another program may hold the clipboard for a moment: a few tries before giving up.
    bool open = false;
    for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(m_window)); ++attempt)
        Sleep(20);
    if (!open)
        return false;
    const bool taken = EmptyClipboard() && SetClipboardData(format, data);
    CloseClipboard();
    return taken;
}

std::string MainWindow::textOnClipboard() const
{
    bool open = false;
    for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(m_window)); ++attempt)
        Sleep(20);
    if (!open)
        return {};
    std::wstring wide;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *text = static_cast<const wchar_t *>(GlobalLock(data))) {
            // No colour text is anywhere near this long; a page of text is read no further.
            const std::size_t most =
                std::min<std::size_t>(GlobalSize(data) / sizeof(wchar_t), 1024);
            std::size_t length = 0;
            while (length < most && text[length] != L'\0')
                ++length;
            wide.assign(text, length);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return narrowed(wide);
}

bool MainWindow::putTextOnClipboard(const std::string &text)
{
    // CF_TEXT in the ANSI code page; the system offers the Unicode form to those who ask.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory)
        return false;
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (putOnClipboard(CF_TEXT, memory))
        return true;
    GlobalFree(memory); // the clipboard owns it only once it has taken it
    return false;
}

bool MainWindow::putSampleOnClipboard(int width, int height, ColorValue color)
{
    // Made off-screen at exactly Width x Height pixels, whatever the DPI: the table's hidden
    // picture pctRGB needs no window of its own.
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC canvas = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(canvas, bitmap);
    HBRUSH brush = CreateSolidBrush(color);
    const RECT all = {0, 0, width, height};
    FillRect(canvas, &all, brush);
    DeleteObject(brush);
    SelectObject(canvas, previous);
    DeleteDC(canvas);
    ReleaseDC(nullptr, screen);
    if (bitmap && putOnClipboard(CF_BITMAP, bitmap))
        return true;
    if (bitmap)
        DeleteObject(bitmap);
    return false;
}

// ---------------------------------------------------------------------------------------------
// The window

std::uintptr_t MainWindow::nativeWindow() const
{
    return reinterpret_cast<std::uintptr_t>(m_window);
}

RECT MainWindow::outerRect() const
{
    // A minimized window reports a place far off the screen (-32000); its place on the
    // desktop is the one to keep, or the next start would open it where nobody can see it.
    RECT outer = {};
    if (IsIconic(m_window)) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(m_window, &placement);
        outer = placement.rcNormalPosition;
    } else {
        GetWindowRect(m_window, &outer);
    }
    return outer;
}

std::int64_t MainWindow::windowLeft() const
{
    return deviceToTwips(outerRect().left, m_dpiX);
}

std::int64_t MainWindow::windowTop() const
{
    return deviceToTwips(outerRect().top, m_dpiY);
}

void MainWindow::setWindowLeft(std::int64_t twips)
{
    RECT outer = {};
    GetWindowRect(m_window, &outer);
    SetWindowPos(m_window, nullptr, twipsToDevice(twips, m_dpiX), outer.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::setWindowTop(std::int64_t twips)
{
    RECT outer = {};
    GetWindowRect(m_window, &outer);
    SetWindowPos(m_window, nullptr, outer.left, twipsToDevice(twips, m_dpiY), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TwipsSize MainWindow::windowOuterSize() const
{
    RECT outer = {};
    GetWindowRect(m_window, &outer);
    return {deviceToTwips(outer.right - outer.left, m_dpiX),
            deviceToTwips(outer.bottom - outer.top, m_dpiY)};
}

TwipsSize MainWindow::screenSize() const
{
    return {deviceToTwips(GetSystemMetrics(SM_CXSCREEN), m_dpiX),
            deviceToTwips(GetSystemMetrics(SM_CYSCREEN), m_dpiY)};
}

namespace {

struct WorkAreas
{
    std::vector<TwipsRect> areas;
    int dpiX, dpiY;
};

BOOL CALLBACK collectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto &into = *reinterpret_cast<WorkAreas *>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT &work = info.rcWork;
        into.areas.push_back({deviceToTwips(work.left, into.dpiX), deviceToTwips(work.top, into.dpiY),
                              deviceToTwips(work.right - work.left, into.dpiX),
                              deviceToTwips(work.bottom - work.top, into.dpiY)});
    }
    return TRUE;
}

} // namespace

std::vector<TwipsRect> MainWindow::workAreas() const
{
    WorkAreas collected{{}, m_dpiX, m_dpiY};
    EnumDisplayMonitors(nullptr, nullptr, collectWorkArea, reinterpret_cast<LPARAM>(&collected));
    return collected.areas;
}

void MainWindow::showAboutBox()
{
    hueloft::win32::showAboutBox(m_instance, m_window);
}

void MainWindow::tellProblem(const std::string &text)
{
    m_problems.push_back(text);
    if (m_closing)
        showProblems();
    else if (m_window && IsWindowVisible(m_window))
        PostMessageW(m_window, kShowProblemsMessage, 0, 0);
    // Otherwise the window is not up yet: WM_SHOWWINDOW posts the message.
}

void MainWindow::showProblems()
{
    // A box's own message loop may run this again; the first call shows them all.
    if (m_showingProblems)
        return;
    m_showingProblems = true;
    while (!m_problems.empty()) {
        const std::string line = std::move(m_problems.front());
        m_problems.erase(m_problems.begin());
        // Problem lines are in the ANSI code page (platform/systemmessage_win32.h).
        std::wstring text(MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, nullptr, 0), L'\0');
        if (!text.empty())
            MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, text.data(), int(text.size()));
        MessageBoxW(IsWindow(m_window) ? m_window : nullptr, text.c_str(),
                    widen(kProblemBoxTitle).c_str(), MB_OK | MB_ICONWARNING);
    }
    m_showingProblems = false;
}

void MainWindow::closeWindow()
{
    SendMessageW(m_window, WM_CLOSE, 0, 0); // Form_Unload, then the window goes
}

} // namespace hueloft::win32
