// SPDX-License-Identifier: MIT
#pragma once

// frmMain on Qt Widgets: creates the controls from the layout table, forwards their events to
// the handlers of MainForm (editor/core), and carries out what those ask of the controls. The
// window's behaviour lives in the core; only the toolkit's part is here.

#include "editor/core/mainform.h"
#include "editor/core/mainview.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>

class CaptionLabel;
class NumberBox;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

class MainWindow : public QWidget, private hueloft::MainView
{
    Q_OBJECT
public:
    // Functions: the external functions (settings file, library, window stacking). Settings:
    // where the settings file lives and how the exit's save reaches it.
    MainWindow(hueloft::ExternalFunctions &functions, hueloft::SettingsStore &settings,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // The window's behaviour: its handlers, start-up and shut-down.
    hueloft::MainForm &form() { return m_form; }

    // The window system the window behaves for; the one running unless set before Form_Load()
    // (tests stand in a Wayland compositor under the offscreen platform).
    void setWindowSystem(const platform::WindowSystem &system) { m_windowSystem = system; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void layOutControls();
    int typedIntoBox(QObject *box, int code);
    int optionArrowTarget(QObject *watched, const QKeyEvent &key) const;
    void setBackground(QWidget *widget, hueloft::ColorValue color);
    void updateOptionTabStops();
    void describeForAssistiveTools();
    void showProblems();

    // What the handlers ask of the controls.
    int channelValue(int channel) const override;
    void setChannelValue(int channel, int value) override;
    std::string channelText(int channel) const override;
    void showChannelText(int channel, const std::string &text) override;
    std::string sampleSideText(int index) const override;
    void showSampleSideText(int index, const std::string &text) override;
    int focusedChannelBox() const override;
    hueloft::ColorValue sampleColor() const override;
    void setSampleColor(hueloft::ColorValue color) override;
    void setChipColor(int channel, hueloft::ColorValue color) override;
    std::string rgbCaption() const override;
    void setRgbCaption(const std::string &caption) override;
    std::string hexaCaption() const override;
    void setHexaCaption(const std::string &caption) override;
    void selectNotation(int index) override;
    bool isTopMostChecked() const override;
    void setTopMostChecked(bool checked) override;
    bool putTextOnClipboard(const std::string &text) override;
    bool putSampleOnClipboard(int width, int height, hueloft::ColorValue color) override;
    std::string textOnClipboard() const override;
    void focusRedChannel() override;
    std::uintptr_t nativeWindow() const override;
    std::int64_t windowLeft() const override;
    std::int64_t windowTop() const override;
    void setWindowLeft(std::int64_t twips) override;
    void setWindowTop(std::int64_t twips) override;
    hueloft::TwipsSize windowOuterSize() const override;
    hueloft::TwipsSize screenSize() const override;
    std::vector<hueloft::TwipsRect> workAreas() const override;
    void tellProblem(const std::string &text) override;
    void showAboutBox() override;
    void closeWindow() override;
    platform::WindowSystem windowSystem() const override;

    hueloft::MainForm m_form; // given the window's controls, used once they exist
    bool m_layoutPending = false;
    // Problems told and not shown yet: the window is not up, or they wait for the event loop.
    QStringList m_problems;
    bool m_closing = false;
    platform::WindowSystem m_windowSystem = platform::currentWindowSystem();

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
