// SPDX-License-Identifier: MIT
#pragma once

// Controls that exist only in memory: each request of the handlers is kept as the control
// would keep it, with the nesting a real toolkit gives (a changed scroll bar, option or check
// box runs its handler at once). For running the window's start-up and shut-down where there
// is no window, and for watching the handlers at work. Its settings store is a place in memory.

#include "editor/core/mainview.h"
#include "editor/core/settingsstore.h"

#include <array>
#include <optional>

namespace hueloft {

class MainForm;

class MemoryView : public MainView, public SettingsStore
{
public:
    // The form whose handlers the controls' changes run; none until attached.
    void attach(MainForm &form) { m_form = &form; }

    int channelValue(int channel) const override { return channels[channel]; }
    void setChannelValue(int channel, int value) override;
    std::string channelText(int channel) const override { return channelTexts[channel]; }
    void showChannelText(int channel, const std::string &text) override
    {
        channelTexts[channel] = text;
    }
    std::string sampleSideText(int index) const override { return sampleTexts[index]; }
    void showSampleSideText(int index, const std::string &text) override
    {
        sampleTexts[index] = text;
    }
    int focusedChannelBox() const override { return focusedBox; }
    ColorValue sampleColor() const override { return sample; }
    void setSampleColor(ColorValue color) override { sample = color; }
    void setChipColor(int channel, ColorValue color) override { chips[channel] = color; }
    std::string rgbCaption() const override { return rgb; }
    void setRgbCaption(const std::string &caption) override { rgb = caption; }
    std::string hexaCaption() const override { return hexa; }
    void setHexaCaption(const std::string &caption) override { hexa = caption; }
    void selectNotation(int index) override;
    bool isTopMostChecked() const override { return topMost; }
    void setTopMostChecked(bool checked) override;
    bool putTextOnClipboard(const std::string &text) override;
    bool putSampleOnClipboard(int width, int height, ColorValue color) override;
    std::string textOnClipboard() const override
    {
        return clipboardHoldsSample ? std::string() : clipboardText;
    }
    void focusRedChannel() override { focusOnRed = true; }
    std::uintptr_t nativeWindow() const override { return handle; }
    std::int64_t windowLeft() const override { return left; }
    std::int64_t windowTop() const override { return top; }
    void setWindowLeft(std::int64_t twips) override { left = twips; }
    void setWindowTop(std::int64_t twips) override { top = twips; }
    TwipsSize windowOuterSize() const override { return outer; }
    TwipsSize screenSize() const override { return screen; }
    // The screen, whole, unless the test names work areas of its own.
    std::vector<TwipsRect> workAreas() const override
    {
        return areas ? *areas : std::vector<TwipsRect>{{0, 0, screen.width, screen.height}};
    }
    platform::WindowSystem windowSystem() const override { return system; }
    void tellProblem(const std::string &text) override { toldProblems.push_back(text); }
    void showAboutBox() override { ++aboutShown; }
    void closeWindow() override;
    // SettingsStore
    SettingsLocation location() override { return place; }
    std::string unusableBecause(const std::string &) override { return {}; }
    std::string makeFolderFor(const std::string &) override { return {}; }
    std::string finishSave(bool) override { return saveProblem; }

    // The controls' state, open to whoever drives them.
    std::array<int, 3> channels{};
    std::array<std::string, 3> channelTexts{};
    std::array<std::string, 2> sampleTexts{};
    std::array<ColorValue, 3> chips{};
    ColorValue sample = 0;
    std::string rgb, hexa;
    int notation = 0; // the selected option button; the first is selected at creation
    bool topMost = false;
    bool focusOnRed = false;
    int focusedBox = -1; // the channel box a test has put the focus in
    bool clipboardTakes = true;
    std::string clipboardText;
    struct Sample
    {
        int width = 0, height = 0;
        ColorValue color = 0;
    } clipboardSample;
    bool clipboardHoldsSample = false;
    std::uintptr_t handle = 0;
    std::int64_t left = 0, top = 0;
    TwipsSize outer, screen;
    std::optional<std::vector<TwipsRect>> areas;
    platform::WindowSystem system; // places windows and keeps them on top, unless set otherwise
    int aboutShown = 0;
    std::vector<std::string> toldProblems; // in the order told
    std::string saveProblem;               // what finishSave answers
    bool closed = false;
    SettingsLocation place;

private:
    MainForm *m_form = nullptr;
};

} // namespace hueloft
