// SPDX-License-Identifier: MIT
// Start-up and shut-down of the main window: the settings are read once while it loads and
// written once while it unloads, in a fixed order.

#include "editor/color/numbertext.h"
#include "editor/settings/externals.h"
#include "editor/settings/settingspath.h"
#include "editor/windows/mainwindow.h"
#include "editor/windows/numberbox.h"
#include "editor/windows/twips.h"
#include "platform/profile.h"

#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>

#include <cstdio>

using namespace hueloft;

namespace {

const QString kColorSection = QStringLiteral("RGB Color");
const QString kSampleSection = QStringLiteral("RGB Sample");
const QString kEditorSection = QStringLiteral("RGB Tintora");

constexpr ColorValue kPureRed = 255;
constexpr ColorValue kPureGreen = 65280;
constexpr ColorValue kPureBlue = 16711680;

} // namespace

void MainWindow::Form_Load()
{
    setBackground(cpColor[0], kPureRed);
    setBackground(cpColor[1], kPureGreen);
    setBackground(cpColor[2], kPureBlue);

    const SettingsLocation location = settingsLocationFor(m_programFolder);
    m_settingsPath = location.path;
    SettingsPath = QFile::decodeName(QByteArray::fromStdString(m_settingsPath));
    m_perUserSettings = location.perUser;
    const std::string unusable = location.path.empty() ? location.problem
                                                       : unusableSettingsFile(location.path);
    if (!unusable.empty()) {
        // Defaults, and nothing read or written: a device, FIFO or socket under the settings
        // file's name is the user's, not ours to replace.
        m_settingsUnusable = true;
        std::fprintf(stderr, "hueloft: settings and custom colours neither read nor saved: %s%s%s\n",
                     location.path.c_str(), location.path.empty() ? "" : ": ", unusable.c_str());
    }
    m_functions.loadCustomColors(m_settingsPath);

    auto read = [this](const QString &section, const char *key, int defaultValue) {
        return m_functions.getPrivateProfileInt(section, QString::fromLatin1(key), defaultValue,
                                                m_settingsPath);
    };

    const std::int32_t red = read(kColorSection, "Red", 0);
    const std::int32_t green = read(kColorSection, "Green", 0);
    const std::int32_t blue = read(kColorSection, "Blue", 0);
    ApplyColor(red, green, blue);

    // The 16-bit fields take values beyond their range at the nearest end, never wrapped.
    SwatchSize[0] = clampToInt16(read(kSampleSection, "Width", 32));
    SwatchSize[1] = clampToInt16(read(kSampleSection, "Height", 32));
    ediSwatch[0]->showText(QString::number(SwatchSize[0]));
    ediSwatch[1]->showText(QString::number(SwatchSize[1]));

    HexaType = clampToInt16(read(kEditorSection, "HexaFormat", 0));
    if (HexaType >= 0 && HexaType <= 3)
        optLang[HexaType]->setChecked(true); // runs optLang_Click when the selection changes

    const QPoint centred = centredPosition();
    const int left = read(kEditorSection, "Left", centred.x());
    move(twipsToPixels(left), y());
    const int top = read(kEditorSection, "Top", centred.y());
    move(x(), twipsToPixels(top));
    m_readLeft = left;
    m_readTop = top;
    // The window manager frames the window only once it is shown: a window placed by default
    // on both axes (a first run) is centred again then, with its frame. A missing key gives
    // back whatever default it is asked with, a stored one never does. A window placed on one
    // stored axis is not moved again: some window systems would then pull a stored position
    // that lies off the screen back onto it.
    auto missing = [&read](const char *key) {
        return read(kEditorSection, key, 0) != read(kEditorSection, key, 1);
    };
    m_centreOnFrame = m_windowSystem.placesWindows && missing("Left") && missing("Top");

    TopMost = clampToInt16(read(kEditorSection, "TopMost", 0));
    if (TopMost == 0 || TopMost == 1)
        chkTop->setChecked(TopMost == 1); // runs chkTop_Click when the state changes
}

// The position that centres the whole window, frame included, on the primary screen, in twips.
QPoint MainWindow::centredPosition() const
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize outer = frameGeometry().size();
    const auto left = static_cast<int>(
        centredOffset(pixelsToTwips(screen.width()), pixelsToTwips(outer.width())));
    const std::int16_t top = clampToInt16(
        centredOffset(pixelsToTwips(screen.height()), pixelsToTwips(outer.height())));
    return {left, top};
}

void MainWindow::centreOnceFrameKnown()
{
    if (!m_centreOnFrame || !isVisible() || frameGeometry().size() == size())
        return;
    m_centreOnFrame = false;
    const QPoint centred = centredPosition();
    move(twipsToPixels(centred.x()), twipsToPixels(centred.y()));
}

void MainWindow::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // A channel value typed and not yet committed (by Enter or by leaving the box) is what
    // the box shows: it is committed now, however the window closes.
    for (int i = 0; i < 3; ++i) {
        if (focusWidget() == ediColor[i])
            CommitChannelText(i);
    }
    if (m_settingsUnusable)
        return;

    // The per-user folder is made at the first write, not before: a run that never exits
    // normally leaves no trace.
    std::string failure;
    if (m_perUserSettings)
        failure = makeSettingsFolder(m_settingsPath);

    // A write fails at once when the file could not be written at all; the first failure is
    // reported once, the other writes are still tried.
    auto write = [this, &failure](const QString &section, const char *key, long long value) {
        const int written = m_functions.writePrivateProfileString(
            section, QString::fromLatin1(key), QString::number(value), m_settingsPath);
        if (written == 0 && failure.empty()) {
            failure = platform::profileErrorText();
            if (failure.empty())
                failure = "cannot write " + m_settingsPath;
        }
    };

    // A window system that keeps window positions to itself (Wayland) reports none: what was
    // read goes back as it was, so that the next session on X11 or Windows still finds it.
    const bool placed = m_windowSystem.placesWindows;
    write(kEditorSection, "Top", placed ? storedTwips(pixelsToTwips(y())) : m_readTop);
    write(kEditorSection, "Left", placed ? storedTwips(pixelsToTwips(x())) : m_readLeft);
    write(kEditorSection, "TopMost", TopMost);
    write(kEditorSection, "HexaFormat", HexaType);
    write(kSampleSection, "Width", SwatchSize[0]);
    write(kSampleSection, "Height", SwatchSize[1]);
    int red = 0, green = 0, blue = 0;
    SplitColor(currentColor(), red, green, blue);
    write(kColorSection, "Red", red);
    write(kColorSection, "Green", green);
    write(kColorSection, "Blue", blue);
    m_functions.saveCustomColors(m_settingsPath);
    // Everything above was held in memory: it reaches the disk here, as one replacement of
    // the file, the library's colours included.
    if (!m_functions.flushPrivateProfile(m_settingsPath) && failure.empty()) {
        failure = platform::profileErrorText();
        if (failure.empty())
            failure = "cannot write " + m_settingsPath;
        failure.insert(0, "custom colours neither: ");
    }

    if (!failure.empty())
        std::fprintf(stderr, "hueloft: settings not saved: %s\n", failure.c_str());
}
