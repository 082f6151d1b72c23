// SPDX-License-Identifier: MIT
#include "editor/core/mainform.h"

#include "editor/color/colorparse.h"
#include "editor/color/colortext.h"
#include "editor/color/keyfilter.h"
#include "editor/color/numbertext.h"
#include "editor/color/samplesize.h"
#include "editor/core/externalfunctions.h"
#include "editor/core/mainview.h"
#include "editor/core/settingsstore.h"
#include "editor/core/twips.h"

#include <charconv>
#include <optional>
#include <cstdio>

namespace hueloft {

namespace {

const std::string kColorSection = "RGB Color";
const std::string kSampleSection = "RGB Sample";
const std::string kEditorSection = "RGB Tintora";

constexpr ColorValue kPureRed = 255;
constexpr ColorValue kPureGreen = 65280;
constexpr ColorValue kPureBlue = 16711680;

constexpr int kPasteKey = 22; // Ctrl+V

// How far a copy opens from each copy already open: 30 pixels at 96 DPI, about a title bar,
// so that the window behind shows its title.
constexpr std::int64_t kStepAside = 450;

// Position moved Aside twips on, or back where the window would then leave the screen.
std::int64_t steppedAside(std::int64_t position, std::int64_t aside, std::int64_t size,
                          std::int64_t screen)
{
    return position + aside + size <= screen ? position + aside : position - aside;
}

} // namespace

MainForm::MainForm(MainView &view, ExternalFunctions &functions, SettingsStore &settings)
    : m_view(view)
    , m_functions(functions)
    , m_settings(settings)
{
}

ColorValue MainForm::currentColor() const
{
    return m_view.sampleColor();
}

std::string MainForm::htmlColorText() const
{
    return htmlText(currentColor());
}

// ---------------------------------------------------------------------------------------------
// The colour channels

void MainForm::RefreshColor(int channel)
{
    m_view.showChannelText(channel, decimalText(m_view.channelValue(channel)));
    const int red = m_view.channelValue(0);
    const int green = m_view.channelValue(1);
    const int blue = m_view.channelValue(2);
    m_view.setSampleColor(composeColor(red, green, blue));
    m_view.setRgbCaption(
        rgbMacroText(m_view.channelText(0), m_view.channelText(1), m_view.channelText(2)));
    m_view.setHexaCaption(hexaCaption(currentColor(), HexaType));
}

void MainForm::hsbColor_Change(int index)
{
    RefreshColor(index);
}

void MainForm::hsbColor_Scroll(int index)
{
    RefreshColor(index);
}

void MainForm::ApplyColor(long long red, long long green, long long blue)
{
    // The scroll bars hold only 0..255; values from a hand-edited file are brought into range
    // before any control is touched.
    const int channels[3] = {clampChannel(red), clampChannel(green), clampChannel(blue)};
    for (int i = 0; i < 3; ++i)
        m_view.setChannelValue(i, channels[i]);
    for (int i = 0; i < 3; ++i)
        m_view.showChannelText(i, decimalText(channels[i]));
    RefreshColor(0);
}

void MainForm::CommitChannelText(int channel)
{
    // Pasted text may hold anything; only its leading ASCII digits count, and the result
    // always lies within 0..255.
    const int value = clampChannel(readLeadingNumber(m_view.channelText(channel)));
    m_view.setChannelValue(channel, value); // refreshes through hsbColor_Change when it changes
    m_view.showChannelText(channel, decimalText(value));
}

void MainForm::ApplyStartColor(ColorValue color)
{
    applyColorValue(color);
}

void MainForm::applyColorValue(ColorValue color)
{
    int red = 0, green = 0, blue = 0;
    SplitColor(color, red, green, blue);
    ApplyColor(red, green, blue);
}

int MainForm::ediColor_KeyPress(int index, int key)
{
    // Ctrl+V types no digit: it takes a whole colour or nothing.
    if (key == kPasteKey) {
        PasteColor();
        return 0;
    }
    switch (channelBoxKey(key)) {
    case KeyAction::Commit:
        CommitChannelText(index);
        return 0;
    case KeyAction::Discard:
        return 0;
    case KeyAction::Pass:
        break;
    }
    return key;
}

void MainForm::ediColor_LostFocus(int index)
{
    CommitChannelText(index);
}

void MainForm::commitTypedChannel()
{
    // A command reached without leaving the box (its access key, which presses the button
    // without moving the focus, or the closing window) must see the value the box shows.
    if (const int typing = m_view.focusedChannelBox(); typing >= 0 && typing < 3)
        CommitChannelText(typing);
}

int MainForm::ediSwatch_KeyPress(int, int key)
{
    if (key == kPasteKey) {
        PasteColor();
        return 0;
    }
    return sampleBoxKey(key) == KeyAction::Discard ? 0 : key;
}

// ---------------------------------------------------------------------------------------------
// Notation

void MainForm::optLang_Click(int index)
{
    HexaType = static_cast<std::int16_t>(index);
    RefreshColor(0);
}

// ---------------------------------------------------------------------------------------------
// Clipboard commands

void MainForm::putText(const std::string &text)
{
    if (!m_view.putTextOnClipboard(text))
        std::fprintf(stderr, "hueloft: cannot put \"%s\" on the clipboard: it did not take it\n",
                     text.c_str());
}

void MainForm::TellProblem(const std::string &line)
{
    if (m_toldProblems.insert(line).second)
        m_view.tellProblem(line);
}

void MainForm::reportProblem(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    TellProblem(line);
}

bool MainForm::PasteColor()
{
    // A stray paste of other text is no mistake to report: nothing happens.
    const std::optional<ColorValue> color = readColorText(m_view.textOnClipboard());
    if (!color)
        return false;
    applyColorValue(*color);
    m_view.focusRedChannel();
    return true;
}

void MainForm::cmdCopyRGB_Click()
{
    commitTypedChannel();
    putText(m_view.rgbCaption());
    m_view.focusRedChannel();
}

void MainForm::cmdCopyHexa_Click()
{
    commitTypedChannel();
    putText(hexaCopyText(m_view.hexaCaption(), HexaType));
    m_view.focusRedChannel();
}

void MainForm::cmdCopyHTML_Click()
{
    commitTypedChannel();
    putText(htmlColorText());
    m_view.focusRedChannel();
}

void MainForm::cmdCopySample_Click()
{
    commitTypedChannel();
    for (int i = 0; i < 2; ++i) {
        const int typed = readLeadingNumber(m_view.sampleSideText(i));
        const int side = clampSampleSide(typed);
        SwatchSize[i] = static_cast<std::int16_t>(side);
        // A size within range keeps the box's text as typed ("064" stays "064").
        if (side != typed)
            m_view.showSampleSideText(i, decimalText(side));
    }
    if (!m_view.putSampleOnClipboard(SwatchSize[0], SwatchSize[1], currentColor()))
        std::fprintf(stderr,
                     "hueloft: cannot put the %dx%d colour sample on the clipboard: "
                     "it did not take it\n",
                     int(SwatchSize[0]), int(SwatchSize[1]));
    m_view.focusRedChannel();
}

// ---------------------------------------------------------------------------------------------
// Window commands

void MainForm::cmdEditColor_Click()
{
    commitTypedChannel();
    const ColorValue chosen = m_functions.showColorDialog(currentColor(), m_view.nativeWindow());
    int red = 0, green = 0, blue = 0;
    SplitColor(chosen, red, green, blue);
    ApplyColor(red, green, blue);
    m_view.focusRedChannel();
}

void MainForm::cpRGB_DblClick()
{
    cmdEditColor_Click();
}

void MainForm::chkTop_Click()
{
    const bool checked = m_view.isTopMostChecked();
    // The box and TopMost still work and are saved: the same file may serve an X11 session.
    if (checked && !m_toldNoStayOnTop) {
        const platform::WindowSystem system = m_view.windowSystem();
        if (!system.keepsWindowsOnTop) {
            m_toldNoStayOnTop = true;
            std::fprintf(stderr,
                         "hueloft: the window system (%s) does not support keeping a window "
                         "always on top\n",
                         system.name.c_str());
        }
    }
    m_functions.setWindowPos(m_view.nativeWindow(), checked ? kHwndTopMost : kHwndNoTopMost, 0, 0,
                             0, 0, kSwpNoSize | kSwpNoMove | kSwpShowWindow);
    TopMost = m_view.isTopMostChecked() ? 1 : 0;
}

void MainForm::cmdAbout_Click()
{
    m_view.showAboutBox();
    m_view.focusRedChannel();
}

void MainForm::cmdExit_Click()
{
    m_view.closeWindow();
}

// ---------------------------------------------------------------------------------------------
// Start-up and shut-down: the settings are read once while the window loads and written once
// while it unloads, in a fixed order.

void MainForm::Form_Load()
{
    m_view.setChipColor(0, kPureRed);
    m_view.setChipColor(1, kPureGreen);
    m_view.setChipColor(2, kPureBlue);

    const SettingsLocation location = m_settings.location();
    SettingsPath = location.path;
    m_perUserSettings = location.perUser;
    // A per-user file that does not exist yet starts, this once, from the older file it
    // replaces; the exit writes SettingsPath only.
    std::string source = location.readFrom.empty() ? SettingsPath : location.readFrom;
    const std::string problem =
        location.problem.empty() ? m_settings.unusableBecause(SettingsPath) : location.problem;
    if (!problem.empty()) {
        // Defaults, and nothing read or written, by the editor or by swatchy: a device, FIFO,
        // socket or huge file under the settings file's name is the user's, not ours to replace.
        m_settingsUnusable = true;
        reportProblem("hueloft: settings and custom colours neither read nor saved: " +
                      location.path + (location.path.empty() ? "" : ": ") + problem);
    } else {
        if (!location.note.empty())
            reportProblem("hueloft: " + location.note);
        if (source != SettingsPath) {
            if (const std::string big = m_settings.unusableBecause(source); !big.empty()) {
                reportProblem("hueloft: older settings not read: " + source + ": " + big);
                source = SettingsPath;
            }
        }
        m_functions.loadCustomColors(source);
    }

    auto read = [this, &source](const std::string &section, const char *key, int defaultValue) {
        if (m_settingsUnusable)
            return std::int32_t(defaultValue);
        const std::int32_t value = m_functions.getPrivateProfileInt(section, key, defaultValue, source);
        m_startValues[section + "/" + key] = value;
        return value;
    };

    const std::int32_t red = read(kColorSection, "Red", 0);
    const std::int32_t green = read(kColorSection, "Green", 0);
    const std::int32_t blue = read(kColorSection, "Blue", 0);
    ApplyColor(red, green, blue);

    // The 16-bit fields take values beyond their range at the nearest end, never wrapped.
    SwatchSize[0] = clampToInt16(read(kSampleSection, "Width", 32));
    SwatchSize[1] = clampToInt16(read(kSampleSection, "Height", 32));
    m_view.showSampleSideText(0, decimalText(SwatchSize[0]));
    m_view.showSampleSideText(1, decimalText(SwatchSize[1]));

    HexaType = clampToInt16(read(kEditorSection, "HexaFormat", 0));
    if (HexaType >= 0 && HexaType <= 3)
        m_view.selectNotation(HexaType); // runs optLang_Click when the selection changes

    // Centred on the screen by default, frame included as far as it is known yet.
    const TwipsSize screen = m_view.screenSize();
    const TwipsSize outer = m_view.windowOuterSize();
    const auto leftDefault = static_cast<int>(centredOffset(screen.width, outer.width));
    const std::int16_t topDefault = clampToInt16(centredOffset(screen.height, outer.height));
    m_readLeft = read(kEditorSection, "Left", leftDefault);
    m_view.setWindowLeft(m_readLeft);
    m_readTop = read(kEditorSection, "Top", topDefault);
    m_view.setWindowTop(m_readTop);
    // The window manager frames the window only once it is shown: a window placed at the
    // centred default on both axes (a first run, or the position an earlier first run wrote
    // without the frame) is centred again then (WindowFramed). A window placed on a stored
    // axis is not moved again: some window systems would then pull a stored position that
    // lies off the screen back onto it. A stored position that leaves the window, or part of
    // it, off every screen (a monitor since unplugged, a lower resolution, a larger scale) is
    // brought back now, and again once the frame is known.
    m_centreOnFrame =
        m_view.windowSystem().placesWindows && m_readLeft == leftDefault && m_readTop == topDefault;
    keepOnScreen();

    TopMost = clampToInt16(read(kEditorSection, "TopMost", 0));
    if (TopMost == 0 || TopMost == 1)
        m_view.setTopMostChecked(TopMost == 1); // runs chkTop_Click when the state changes
}

void MainForm::keepOnScreen()
{
    if (!m_view.windowSystem().placesWindows)
        return;
    const TwipsSize outer = m_view.windowOuterSize();
    const TwipsRect window{m_view.windowLeft(), m_view.windowTop(), outer.width, outer.height};
    if (const std::optional<TwipsPoint> to = placeOnScreen(window, m_view.workAreas())) {
        // A copy that stepped aside is still where it stepped, only whole on the screen now.
        const bool aside =
            m_aside > 0 && window.left == m_asideLeft && window.top == m_asideTop;
        m_view.setWindowLeft(to->left);
        m_view.setWindowTop(to->top);
        if (aside) {
            m_asideLeft = m_view.windowLeft();
            m_asideTop = m_view.windowTop();
        }
    }
}

void MainForm::WindowFramed()
{
    // Once: a later change of the frame (a theme) or a move by the user is theirs.
    if (m_framed)
        return;
    m_framed = true;
    if (!m_centreOnFrame) {
        keepOnScreen();
        return;
    }
    m_centreOnFrame = false;
    const TwipsSize screen = m_view.screenSize();
    const TwipsSize outer = m_view.windowOuterSize();
    m_view.setWindowLeft(centredOffset(screen.width, outer.width));
    m_view.setWindowTop(clampToInt16(centredOffset(screen.height, outer.height)));
    if (m_aside > 0)
        moveAside();
}

void MainForm::StepAside(int copiesBefore)
{
    if (copiesBefore <= 0 || !m_view.windowSystem().placesWindows)
        return;
    m_aside = std::int64_t(copiesBefore) * kStepAside;
    moveAside();
}

void MainForm::moveAside()
{
    const TwipsSize screen = m_view.screenSize();
    const TwipsSize outer = m_view.windowOuterSize();
    m_view.setWindowLeft(steppedAside(m_view.windowLeft(), m_aside, outer.width, screen.width));
    m_view.setWindowTop(steppedAside(m_view.windowTop(), m_aside, outer.height, screen.height));
    m_asideLeft = m_view.windowLeft();
    m_asideTop = m_view.windowTop();
    // However many copies claim to run (any user can hold the names they are counted by), the
    // step never takes the window off the screen.
    keepOnScreen();
}

bool MainForm::heldAsDecimal(const std::string &path, const std::string &section, const char *key)
{
    const std::string text = m_functions.getPrivateProfileString(section, key, path);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        text != decimalText(value))
        return false;
    if (m_functions.getPrivateProfileInt(section, key, value ^ 1, path) == value)
        return true;
    // The number disagrees with the text: the text lost outer quotes ("\"5\"" reads as 0), or
    // another copy saved the file between the two reads, and then its value stays.
    return m_functions.getPrivateProfileString(section, key, path) != text;
}

void MainForm::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // A channel value typed and not yet committed (by Enter or by leaving the box) is what
    // the box shows: it is committed now, however the window closes.
    commitTypedChannel();
    if (m_settingsUnusable)
        return;
    // A file that has grown too large while the program ran is left as it is, as at start.
    if (const std::string problem = m_settings.unusableBecause(SettingsPath); !problem.empty()) {
        reportProblem("hueloft: settings and custom colours not saved: " + SettingsPath + ": " +
                      problem);
        return;
    }

    // The per-user folder is made at the first write, not before: a run that never exits
    // normally leaves no trace. The first failure is reported once; the writes are still tried.
    std::string failure;
    if (m_perUserSettings)
        failure = m_settings.makeFolderFor(SettingsPath);
    std::string target = SettingsPath;
    if (failure.empty()) {
        if (const std::string problem = m_settings.beginSave(SettingsPath, target);
            !problem.empty()) {
            reportProblem("hueloft: settings and custom colours not saved: " + problem);
            return;
        }
    }
    auto write = [this, &failure, &target](const std::string &section, const char *key,
                                           long long value) {
        // Two copies may run at once: a setting this copy left as it found it is written only
        // where the file holds no value in plain decimal, so that what another copy saved
        // meanwhile stays.
        const auto start = m_startValues.find(section + "/" + key);
        if (start != m_startValues.end() && start->second == value &&
            heldAsDecimal(target, section, key))
            return;
        const int written =
            m_functions.writePrivateProfileString(section, key, decimalText(value), target);
        if (written == 0 && failure.empty()) {
            failure = m_functions.lastWriteError();
            if (failure.empty())
                failure = "cannot write " + SettingsPath;
        }
    };

    // A window system that keeps window positions to itself (Wayland) reports none: what was
    // read goes back as it was, so that the next session on X11 or Windows still finds it.
    // A copy that stepped aside from another and stayed there keeps the stored place too.
    const bool placed =
        m_view.windowSystem().placesWindows &&
        !(m_aside > 0 && m_view.windowLeft() == m_asideLeft && m_view.windowTop() == m_asideTop);
    write(kEditorSection, "Top", placed ? storedTwips(m_view.windowTop()) : m_readTop);
    write(kEditorSection, "Left", placed ? storedTwips(m_view.windowLeft()) : m_readLeft);
    write(kEditorSection, "TopMost", TopMost);
    write(kEditorSection, "HexaFormat", HexaType);
    write(kSampleSection, "Width", SwatchSize[0]);
    write(kSampleSection, "Height", SwatchSize[1]);
    int red = 0, green = 0, blue = 0;
    SplitColor(currentColor(), red, green, blue);
    write(kColorSection, "Red", red);
    write(kColorSection, "Green", green);
    write(kColorSection, "Blue", blue);
    // The library's writes go to the same file and would fail for the same reason, each saying
    // so in a line of its own: one failure, one line, the editor's.
    if (failure.empty())
        m_functions.saveCustomColors(target);
    // Everything above was held in memory: it reaches the disk here, as one replacement of
    // the file, the library's colours included.
    if (!m_functions.flushPrivateProfile(target) && failure.empty()) {
        failure = m_functions.lastWriteError();
        if (failure.empty())
            failure = "cannot write " + SettingsPath;
    }
    if (const std::string problem = m_settings.finishSave(failure.empty()); failure.empty())
        failure = problem;

    if (!failure.empty())
        reportProblem("hueloft: settings and custom colours not saved: " + failure);
}

} // namespace hueloft
