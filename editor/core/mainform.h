// SPDX-License-Identifier: MIT
#pragma once

// The behaviour of frmMain, the editor's only main window, apart from any toolkit. The controls
// are the store of the current colour: the three scroll bars hold the channels, the background
// of the sample cpRGB the composed colour value. Handlers keep the names of the events they
// handle (hsbColor_Change, cmdCopyRGB_Click, Form_Load); members of a control array share one
// handler that receives the member's index first. A front-end calls them from its events.

#include "editor/color/colorvalue.h"

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace hueloft {

class ExternalFunctions;
class MainView;
class SettingsStore;

class MainForm
{
public:
    MainForm(MainView &view, ExternalFunctions &functions, SettingsStore &settings);
    virtual ~MainForm() = default;
    MainForm(const MainForm &) = delete;
    MainForm &operator=(const MainForm &) = delete;

    // The window's public fields.
    std::int16_t HexaType = 0; // notation of the hexadecimal text, 0..3 (others: bare digits)
    std::int16_t TopMost = 0;  // always-on-top state, mirrors chkTop
    std::array<std::int16_t, 2> SwatchSize = {0, 0}; // copied sample's width and height
    std::string SettingsPath;

    // Start-up: chips coloured, settings read and applied. Run once, before the window shows.
    void Form_Load();
    // Shut-down: settings written, custom colours saved. Runs once; later calls do nothing.
    void Form_Unload();
    // The window manager has framed the shown window, so its outer size is known at last: a
    // window that took the centred default on both axes is centred again, frame included.
    void WindowFramed();
    // CopiesBefore copies of the program were open already (0 for the first): the window opens
    // that many steps down and to the right of its place, back where that leaves the screen.
    // Run after Form_Load. The exit then saves the place it was given, unless the user moved
    // the window.
    void StepAside(int copiesBefore);

    // Colour operations.
    void ApplyColor(long long red, long long green, long long blue);
    void RefreshColor(int channel);
    void CommitChannelText(int channel);
    ColorValue currentColor() const; // the background colour of cpRGB

    // Paste (Ctrl+V, Shift+Insert): the colour the clipboard's text names, in any notation the
    // copy commands write or the forms readColorText takes, applied as a command is, the focus
    // then on the red scroll bar. False, with nothing changed, when the text names no colour.
    bool PasteColor();
    // A colour named on the command line: shown at start in place of the stored one, which
    // stays in the file until the exit saves what the window then holds.
    void ApplyStartColor(ColorValue color);

    // A problem line printed on standard error elsewhere (the library loader): shown in the
    // window too, once per text, as the form's own are.
    void TellProblem(const std::string &line);

    // The HTML text of the current colour, as "Copy HTML Macro" puts it on the clipboard.
    std::string htmlColorText() const;

    // Events of the controls.
    void hsbColor_Change(int index);
    void hsbColor_Scroll(int index);
    // Key is the typed character's code; the result is the character that reaches the box,
    // 0 when it is discarded.
    int ediColor_KeyPress(int index, int key);
    void ediColor_LostFocus(int index);
    int ediSwatch_KeyPress(int index, int key);
    void optLang_Click(int index);
    void cmdCopyRGB_Click();
    void cmdCopyHexa_Click();
    void cmdCopyHTML_Click();
    void cmdCopySample_Click();
    void cmdEditColor_Click();
    void cpRGB_DblClick();
    void chkTop_Click();
    void cmdAbout_Click();
    void cmdExit_Click();

private:
    void applyColorValue(ColorValue color);
    void moveAside();
    void putText(const std::string &text);
    // A problem line: on standard error, and shown to the user once per text.
    void reportProblem(const std::string &line);
    // Commits the channel box that has the focus, if one has it.
    void commitTypedChannel();
    // Moves the window, frame included, whole onto a screen's work area if it is not.
    void keepOnScreen();
    // Whether the settings file at Path holds a value for that key in plain 32-bit decimal.
    bool heldAsDecimal(const std::string &path, const std::string &section, const char *key);

    MainView &m_view;
    ExternalFunctions &m_functions;
    SettingsStore &m_settings;
    bool m_unloaded = false;
    bool m_perUserSettings = false;
    bool m_settingsUnusable = false; // said at start; the exit then leaves the file alone
    // The stored position as read, written back where the window system keeps positions to
    // itself; whether the window still waits to be centred with its frame; whether the lack
    // of always-on-top has been told.
    std::int32_t m_readLeft = 0;
    std::int32_t m_readTop = 0;
    // Every setting as read at start ("Section/Key"): what this copy did not change is left to
    // whatever another copy saved meanwhile.
    std::map<std::string, std::int32_t> m_startValues;
    bool m_centreOnFrame = false;
    bool m_framed = false;
    bool m_toldNoStayOnTop = false;
    // The problems shown so far: a started program that is never run from a terminal has no
    // other way to learn them, but one box per cause is enough.
    std::set<std::string> m_toldProblems;
    // How far this copy stepped aside from the others, and where that put it.
    std::int64_t m_aside = 0;
    std::int64_t m_asideLeft = 0;
    std::int64_t m_asideTop = 0;
};

} // namespace hueloft
