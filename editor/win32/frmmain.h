// SPDX-License-Identifier: MIT
#pragma once

// frmMain in Win32: the editor's only main window, its 31 controls made from the layout table
// as native controls at the window's real DPI. The controls are the store of the current
// colour: the scroll bars hold the channels, the colour of the panel cpRGB the composed value.
// Handlers keep the names of the events they handle.

#include "editor/color/colorvalue.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace hueloft::win32 {

class MainWindow
{
public:
    static bool registerClass(HINSTANCE instance);
    // Creates the window (hidden) and its controls.
    bool create(HINSTANCE instance);
    HWND handle() const { return m_window; }

    // Start-up: chips coloured, settings read and applied. Run once, before the window shows.
    void Form_Load();

    // The window's public fields.
    std::int16_t HexaType = 0;
    std::int16_t TopMost = 0;
    std::array<std::int16_t, 2> SwatchSize = {0, 0};
    std::string SettingsPath; // ANSI code page, as the profile functions take it

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int code, HWND control);
    void onScroll(HWND bar, int request);
    void layOut(int dpiX, int dpiY);

    // The controls as the handlers see them.
    HWND control(int id) const { return GetDlgItem(m_window, id); }
    int scrollValue(int channel) const;
    void setScrollValue(int channel, int value); // runs hsbColor_Change when it changes
    std::string text(int id) const;
    void setText(int id, const std::string &text);
    void setPanelColor(int id, ColorValue color);
    ColorValue currentColor() const { return m_panelColors[0]; }
    void selectOption(int index);  // runs optLang_Click when the selection changes
    void setChecked(bool checked); // runs chkTop_Click when the state changes
    void focusRedBar();

    // Handlers.
    void RefreshColor(int channel);
    void ApplyColor(long long red, long long green, long long blue);
    void CommitChannelText(int channel);
    bool ediColor_KeyPress(int index, int code);
    bool ediSwatch_KeyPress(int index, int code);
    void ediColor_LostFocus(int index);
    void optLang_Click(int index);
    void cmdCopyRGB_Click();
    void cmdCopyHexa_Click();
    void cmdCopyHTML_Click();
    void cmdCopySample_Click();
    void cmdEditColor_Click();
    void chkTop_Click();
    void cmdAbout_Click();
    void cmdExit_Click();
    void Form_Unload();

    bool putOnClipboard(UINT format, HANDLE data, const char *what);

    HWND m_window = nullptr;
    HINSTANCE m_instance = nullptr;
    HFONT m_font = nullptr;
    int m_dpiX = 96, m_dpiY = 96;
    HWND m_lastFocus = nullptr;
    bool m_unloaded = false;
    bool m_checked = false;
    int m_selectedOption = 0;
    // Colours of cpRGB and the three chips, with the brushes that paint them.
    std::array<ColorValue, 4> m_panelColors = {0, 0, 0, 0};
    std::array<HBRUSH, 4> m_panelBrushes = {};
    std::wstring m_perUserFolder;
    std::string m_captionRGB, m_captionHexa;
};

} // namespace hueloft::win32
