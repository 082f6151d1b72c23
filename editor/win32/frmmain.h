// SPDX-License-Identifier: MIT
#pragma once

// frmMain in Win32: the editor's only main window, its controls made from the layout table as
// native controls at the window's real DPI. The behaviour is the shared core's (MainForm);
// this class creates the controls, turns their messages into the core's events and carries
// out what the core asks of them (MainView).

#include "editor/core/mainform.h"
#include "editor/core/mainview.h"

#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <vector>

namespace hueloft::win32 {

class MainWindow : public MainView
{
public:
    MainWindow(ExternalFunctions &functions, SettingsStore &settings);
    ~MainWindow() override;

    static bool registerClass(HINSTANCE instance);
    // Creates the window (hidden) and its controls.
    bool create(HINSTANCE instance);
    HWND handle() const { return m_window; }
    // A character typed without Alt into a control that takes no text (a scroll bar, button,
    // option or check box): the dialog manager would take it for an access key, and only Alt
    // with the letter is one. The message loop drops it.
    bool isPlainAccessKey(const MSG &message) const;
    // Ctrl+V or Shift+Insert anywhere but in a number box: pastes a colour, if the clipboard
    // holds one, and the message loop drops the key. The boxes take their paste keys
    // themselves.
    bool tookPasteKey(const MSG &message);
    MainForm &form() { return m_form; }

    // MainView
    int channelValue(int channel) const override;
    void setChannelValue(int channel, int value) override;
    std::string channelText(int channel) const override;
    void showChannelText(int channel, const std::string &text) override;
    std::string sampleSideText(int index) const override;
    void showSampleSideText(int index, const std::string &text) override;
    int focusedChannelBox() const override;
    ColorValue sampleColor() const override { return m_panelColors[0]; }
    void setSampleColor(ColorValue color) override;
    void setChipColor(int channel, ColorValue color) override;
    std::string rgbCaption() const override { return m_captionRGB; }
    void setRgbCaption(const std::string &caption) override;
    std::string hexaCaption() const override { return m_captionHexa; }
    void setHexaCaption(const std::string &caption) override;
    void selectNotation(int index) override;
    bool isTopMostChecked() const override;
    void setTopMostChecked(bool checked) override;
    bool putTextOnClipboard(const std::string &text) override;
    bool putSampleOnClipboard(int width, int height, ColorValue color) override;
    std::string textOnClipboard() const override;
    void focusRedChannel() override;
    std::uintptr_t nativeWindow() const override;
    std::int64_t windowLeft() const override;
    std::int64_t windowTop() const override;
    void setWindowLeft(std::int64_t twips) override;
    void setWindowTop(std::int64_t twips) override;
    TwipsSize windowOuterSize() const override;
    TwipsSize screenSize() const override;
    std::vector<TwipsRect> workAreas() const override;
    // Windows places windows and keeps them on top as asked.
    platform::WindowSystem windowSystem() const override { return {"windows", true, true}; }
    void tellProblem(const std::string &text) override;
    void showAboutBox() override;
    void closeWindow() override;

private:
    // Posted to show the problems told so far.
    static constexpr UINT kShowProblemsMessage = WM_APP + 1;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int code, HWND control);
    void onScroll(HWND bar, int request);
    void layOut(int dpiX, int dpiY);

    HWND control(int id) const { return GetDlgItem(m_window, id); }
    std::string text(int id) const;
    void setText(int id, const std::string &text);
    void setPanelColor(int id, ColorValue color);
    RECT outerRect() const; // where the window is, or would be when not minimized
    bool putOnClipboard(UINT format, HANDLE data);
    void showProblems();

    MainForm m_form;
    HWND m_window = nullptr;
    HINSTANCE m_instance = nullptr;
    HFONT m_font = nullptr;
    int m_dpiX = 96, m_dpiY = 96;
    HWND m_lastFocus = nullptr;
    bool m_checked = false;
    int m_selectedOption = 0;
    // Colours of cpRGB and the three chips, with the brushes that paint them.
    std::array<ColorValue, 4> m_panelColors = {0, 0, 0, 0};
    std::array<HBRUSH, 4> m_panelBrushes = {};
    std::string m_captionRGB, m_captionHexa;
    // The text of each control as this window last set or read it, until an edit box reports
    // a change (EN_CHANGE): under Wine every WM_SETTEXT and WM_GETTEXT of a control is a trip to
    // the server, and a start would make some forty of them, most for a text already shown.
    mutable std::map<int, std::wstring> m_knownTexts;
    // Problems told and not shown yet; whether the window is closing (a box then holds the end
    // of the process, the last moment to tell), or showing one already.
    std::vector<std::string> m_problems;
    bool m_closing = false;
    bool m_showingProblems = false;
};

} // namespace hueloft::win32
