// SPDX-License-Identifier: MIT
#pragma once

// What the behaviour of frmMain asks of its controls. Each front-end (Qt, Win32) creates the
// controls, forwards their events to MainForm's handlers and carries out these requests; the
// handlers themselves never see a toolkit.
//
// Texts are 8-bit strings: the controls hold digits and ASCII captions only.

#include "editor/color/colorvalue.h"
#include "editor/core/onscreen.h"
#include "platform/windowsystem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hueloft {

// A size or position in twips (1440 to the logical inch).
struct TwipsSize
{
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The title of the box that tells a problem: the program's name, and not the main window's
// title alone, so that nothing (a person, a script) takes one for the other.
inline constexpr char kProblemBoxTitle[] = "RGB Tintora - Warning";

class MainView
{
public:
    virtual ~MainView() = default;

    // The scroll bars hsbColor(0..2), 0..255. Setting a value that differs from the current
    // one must run MainForm::hsbColor_Change for that channel at once, before this returns:
    // ApplyColor and CommitChannelText rely on the nesting. An equal value runs nothing.
    virtual int channelValue(int channel) const = 0;
    virtual void setChannelValue(int channel, int value) = 0;

    // The edit boxes ediColor(0..2) and ediSwatch(0..1). Showing a text runs no handler.
    virtual std::string channelText(int channel) const = 0;
    virtual void showChannelText(int channel, const std::string &text) = 0;
    virtual std::string sampleSideText(int index) const = 0;
    virtual void showSampleSideText(int index, const std::string &text) = 0;
    // The channel box ediColor(0..2) that has the input focus, -1 when none has it.
    virtual int focusedChannelBox() const = 0;

    // The sample cpRGB, whose background is the current colour, and the chips cpColor(0..2).
    virtual ColorValue sampleColor() const = 0;
    virtual void setSampleColor(ColorValue color) = 0;
    virtual void setChipColor(int channel, ColorValue color) = 0;

    // The labels txtRGB and txtHexa, as stored: "&&" stands for a shown "&".
    virtual std::string rgbCaption() const = 0;
    virtual void setRgbCaption(const std::string &caption) = 0;
    virtual std::string hexaCaption() const = 0;
    virtual void setHexaCaption(const std::string &caption) = 0;

    // Selects optLang(index); when that changes the selection, MainForm::optLang_Click runs
    // before this returns.
    virtual void selectNotation(int index) = 0;

    // The check box chkTop; setting a state that differs runs MainForm::chkTop_Click before
    // this returns.
    virtual bool isTopMostChecked() const = 0;
    virtual void setTopMostChecked(bool checked) = 0;

    // The clipboard, emptied first each time. False when it did not take the item.
    virtual bool putTextOnClipboard(const std::string &text) = 0;
    virtual bool putSampleOnClipboard(int width, int height, ColorValue color) = 0;
    // The clipboard's text, empty when it holds none. Characters outside ASCII may come as
    // anything but ASCII letters, digits or punctuation: no colour text holds them.
    virtual std::string textOnClipboard() const = 0;

    virtual void focusRedChannel() = 0;

    // The window: its native handle (what SetWindowPos and the colour dialog take), its
    // position and outer size in twips, the screen's size in twips.
    virtual std::uintptr_t nativeWindow() const = 0;
    virtual std::int64_t windowLeft() const = 0;
    virtual std::int64_t windowTop() const = 0;
    virtual void setWindowLeft(std::int64_t twips) = 0;
    virtual void setWindowTop(std::int64_t twips) = 0;
    virtual TwipsSize windowOuterSize() const = 0;
    virtual TwipsSize screenSize() const = 0;
    // Every screen's work area (less the desktop's panels), in the coordinates of the window's
    // position; empty where the window system does not say.
    virtual std::vector<TwipsRect> workAreas() const = 0;
    // What the window system allows: whether the window's position can be read back and set
    // (not on Wayland), whether it can be kept on top, and the system's name for messages.
    virtual platform::WindowSystem windowSystem() const = 0;

    // A problem the user must know of (settings not saved or not read, a library missing), in
    // the words of its line on standard error, without the newline. Shown in the system's own
    // way and owned by the window: one told before the window is up waits until it is; one told
    // while the window closes may hold the end of the process until it is read. Each text comes
    // once.
    virtual void tellProblem(const std::string &text) = 0;

    // The About box, centred on the screen and modal; returns when it has closed.
    virtual void showAboutBox() = 0;
    // Unloads the window: MainForm::Form_Unload runs, then the program ends.
    virtual void closeWindow() = 0;
};

} // namespace hueloft
