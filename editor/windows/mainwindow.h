// SPDX-License-Identifier: MIT
#pragma once

// frmMain, the editor's only main window. The controls are the store of the current colour:
// the three scroll bars hold the channels, the background of the sample cpRGB the composed
// colour value. Handlers keep the names of the events they handle (hsbColor_Change,
// cmdCopyRGB_Click, Form_Load); members of a control array share one handler that receives
// the member's index first.

#include "editor/color/colorvalue.h"
#include "platform/windowsystem.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <string>

class CaptionLabel;
class DeclaredFunctions;
class NumberBox;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // Functions: the external functions (settings file, library, window stacking).
    // ProgramFolder: where the settings file lives when that folder can hold it, as the
    // system's bytes (the QString form is for callers whose paths are plain text).
    MainWindow(DeclaredFunctions &functions, const std::string &programFolder,
               QWidget *parent = nullptr);
    MainWindow(DeclaredFunctions &functions, const QString &programFolder,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // Start-up: chips coloured, settings read and applied. Run once, before show().
    void Form_Load();

    // The window system the window behaves for; the one running unless set before Form_Load()
    // (tests stand in a Wayland compositor under the offscreen platform).
    void setWindowSystem(const platform::WindowSystem &system) { m_windowSystem = system; }

    // The window's public fields.
    std::int16_t HexaType = 0; // notation of the hexadecimal text, 0..3 (others: bare digits)
    std::int16_t TopMost = 0;  // always-on-top state, mirrors chkTop
    std::array<std::int16_t, 2> SwatchSize = {0, 0}; // copied sample's width and height
    QString SettingsPath;

    // Colour operations.
    void ApplyColor(long long red, long long green, long long blue);
    void RefreshColor(int channel);
    hueloft::ColorValue currentColor() const; // the background colour of cpRGB

    // The HTML text of the current colour, as "Copy HTML Macro" puts it on the clipboard.
    QString htmlColorText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void setBackground(QWidget *widget, hueloft::ColorValue color);

    void hsbColor_Change(int index);
    bool ediColor_KeyPress(int index, QKeyEvent &event);
    void ediColor_LostFocus(int index);
    bool ediSwatch_KeyPress(int index, QKeyEvent &event);
    void CommitChannelText(int channel);
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
    void Form_Unload();

    void putTextOnClipboard(const QString &text);
    void updateOptionTabStops();
    void describeForAssistiveTools();
    QPoint centredPosition() const;
    void centreOnceFrameKnown();

    DeclaredFunctions &m_functions;
    std::string m_programFolder;
    std::string m_settingsPath; // SettingsPath as the bytes the system knows it by
    bool m_unloaded = false;
    bool m_perUserSettings = false;
    bool m_settingsUnusable = false; // said at start; the exit then leaves the file alone
    platform::WindowSystem m_windowSystem = platform::currentWindowSystem();
    // The stored position as read, written back where the window system keeps positions to
    // itself; and whether the window took the centred default, which is worked out again once
    // the window manager has framed the window.
    std::int32_t m_readLeft = 0;
    std::int32_t m_readTop = 0;
    bool m_centreOnFrame = false;
    bool m_toldNoStayOnTop = false;

    QLabel *cpRGB = nullptr;
    CaptionLabel *txtRGB = nullptr;
    CaptionLabel *txtHexa = nullptr;
    std::array<QLabel *, 3> cpColor = {};
    std::array<QScrollBar *, 3> hsbColor = {};
    std::array<NumberBox *, 3> ediColor = {};
    QPushButton *cmdCopyRGB = nullptr;
    QPushButton *cmdCopyHexa = nullptr;
    QPushButton *cmdCopyHTML = nullptr;
    QPushButton *cmdCopySample = nullptr;
    QPushButton *cmdEditColor = nullptr;
    QGroupBox *Frame1 = nullptr;
    std::array<QRadioButton *, 4> optLang = {};
    QGroupBox *Frame2 = nullptr;
    std::array<QLabel *, 2> txtSwitch = {};
    std::array<NumberBox *, 2> ediSwatch = {};
    QCheckBox *chkTop = nullptr;
    QPushButton *cmdAbout = nullptr;
    QPushButton *cmdExit = nullptr;
    QWidget *pctRGB = nullptr;
};
