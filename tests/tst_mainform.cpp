// SPDX-License-Identifier: MIT
// The behaviour of frmMain without any toolkit: the handlers of the core driven on controls
// held in memory, the external functions replaced by a recorder. What the Qt window tests
// check through widgets is checked here at the level the Win32 front-end shares.

#include "editor/core/externalfunctions.h"
#include "editor/core/mainform.h"
#include "tests/memoryview.h"

#include <algorithm>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

using namespace hueloft;

Q_DECLARE_METATYPE(TwipsRect)

namespace {

// Records every call in order; profile reads come from a map of "Section/Key" to value.
class RecordingFunctions : public ExternalFunctions
{
public:
    std::vector<std::string> calls;
    std::map<std::string, std::int32_t> stored;
    std::map<std::string, int> defaults;
    std::vector<std::string> paths;
    std::uint32_t dialogAnswer = 0;
    bool dialogAnswers = false;
    int writeResult = 1;
    std::string writeError;

    int setWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                     unsigned flags) override
    {
        calls.push_back("SetWindowPos " + std::to_string(window) + " " +
                        std::to_string(insertAfter) + " " + std::to_string(x) + " " +
                        std::to_string(y) + " " + std::to_string(cx) + " " + std::to_string(cy) +
                        " " + std::to_string(flags));
        return 1;
    }
    int writePrivateProfileString(const std::string &section, const std::string &key,
                                  const std::string &value, const std::string &path) override
    {
        calls.push_back("Write " + section + "/" + key + "=" + value);
        paths.push_back(path);
        return writeResult;
    }
    std::int32_t getPrivateProfileInt(const std::string &section, const std::string &key,
                                      int defaultValue, const std::string &path) override
    {
        calls.push_back("Read " + section + "/" + key);
        paths.push_back(path);
        defaults[key] = defaultValue;
        const auto found = stored.find(section + "/" + key);
        return found == stored.end() ? defaultValue : found->second;
    }
    std::string getPrivateProfileString(const std::string &section, const std::string &key,
                                        const std::string &path) override
    {
        calls.push_back("ReadText " + section + "/" + key);
        paths.push_back(path);
        const auto found = stored.find(section + "/" + key);
        return found == stored.end() ? std::string() : std::to_string(found->second);
    }
    std::uint32_t showColorDialog(std::uint32_t color, std::uintptr_t owner) override
    {
        calls.push_back("ShowColorDialog " + std::to_string(color) + " " + std::to_string(owner));
        return dialogAnswers ? dialogAnswer : color;
    }
    void saveCustomColors(const std::string &path) override
    {
        calls.push_back("SaveCustomColors");
        paths.push_back(path);
    }
    void loadCustomColors(const std::string &path) override
    {
        calls.push_back("LoadCustomColors");
        paths.push_back(path);
    }
    int flushPrivateProfile(const std::string &path) override
    {
        calls.push_back("Flush");
        paths.push_back(path);
        return 1;
    }
    std::string lastWriteError() const override { return writeError; }
};

// What the process writes on standard error while it lives, as lines.
class StandardError
{
public:
    StandardError()
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        m_file = std::tmpfile();
        ::dup2(::fileno(m_file), STDERR_FILENO);
    }
    ~StandardError()
    {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        std::fclose(m_file);
    }
    StandardError(const StandardError &) = delete;
    StandardError &operator=(const StandardError &) = delete;
    std::vector<std::string> lines()
    {
        std::fflush(stderr);
        std::rewind(m_file);
        std::vector<std::string> result;
        char line[512];
        while (std::fgets(line, sizeof line, m_file)) {
            std::string text(line);
            if (!text.empty() && text.back() == '\n')
                text.pop_back();
            result.push_back(text);
        }
        return result;
    }

private:
    int m_saved = -1;
    std::FILE *m_file = nullptr;
};

// Every colour the sample took, in order: shows the nested refreshes.
class WatchedView : public MemoryView
{
public:
    std::vector<ColorValue> samples;
    void setSampleColor(ColorValue color) override
    {
        samples.push_back(color);
        MemoryView::setSampleColor(color);
    }
};

struct Form
{
    WatchedView view;
    RecordingFunctions functions;
    MainForm form{view, functions, view};

    Form()
    {
        view.attach(form);
        view.handle = 0x1234;
        view.place.path = "/folder/HUELOFT.INI";
        view.screen = {19200, 15360};
        view.outer = {4500, 5700};
    }
};

} // namespace

class tst_MainForm : public QObject
{
    Q_OBJECT
private slots:
    void applyColorNests_data();
    void applyColorNests();
    void commitChannelText_data();
    void commitChannelText();
    void keyPress_data();
    void keyPress();
    void paste_data();
    void paste();
    void notationAndCopies_data();
    void notationAndCopies();
    void copySample_data();
    void copySample();
    void editColor();
    void alwaysOnTop();
    void loadReadsInOrder();
    void olderFileReadOnce();
    void loadAppliesOddValues_data();
    void loadAppliesOddValues();
    void unloadWritesInOrder();
    void problemsTold_data();
    void problemsTold();
    void unloadCommitsTypedValue_data();
    void unloadCommitsTypedValue();
    void framedWindowCentred_data();
    void framedWindowCentred();
    void placeOnScreen_data();
    void placeOnScreen();
    void positionKeptWhereNotReported_data();
    void positionKeptWhereNotReported();
};

void tst_MainForm::applyColorNests_data()
{
    QTest::addColumn<QList<int>>("rgb");
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<QList<uint>>("samples"); // one per nested refresh, then the last one
    QTest::addColumn<QString>("rgbCaption");

    QTest::newRow("255,128,0") << QList<int>{255, 128, 0} << QList<int>{255, 128, 0}
                               << QList<uint>{0xFF, 0x80FF, 0x80FF} << "RGB(255, 128, 0)";
    // A channel already at its value runs no change handler.
    QTest::newRow("black") << QList<int>{0, 0, 0} << QList<int>{0, 0, 0} << QList<uint>{0}
                           << "RGB(0, 0, 0)";
    QTest::newRow("out of range") << QList<int>{300, -5, 70000} << QList<int>{255, 0, 255}
                                  << QList<uint>{0xFF, 0xFF00FF, 0xFF00FF} << "RGB(255, 0, 255)";
}

void tst_MainForm::applyColorNests()
{
    QFETCH(QList<int>, rgb);
    QFETCH(QList<int>, channels);
    QFETCH(QList<uint>, samples);
    QFETCH(QString, rgbCaption);

    Form f;
    f.form.ApplyColor(rgb[0], rgb[1], rgb[2]);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(f.view.channels[i], channels[i]);
        QCOMPARE(QString::fromStdString(f.view.channelTexts[i]), QString::number(channels[i]));
    }
    QCOMPARE(QList<uint>(f.view.samples.begin(), f.view.samples.end()), samples);
    QCOMPARE(QString::fromStdString(f.view.rgb), rgbCaption);
    QCOMPARE(f.form.currentColor(),
             ColorValue(channels[0] + 256 * channels[1] + 65536 * channels[2]));
}

void tst_MainForm::commitChannelText_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("refreshed");

    QTest::newRow("above 255") << 10 << "300" << 255 << "255" << true;
    QTest::newRow("empty") << 10 << "" << 0 << "0" << true;
    QTest::newRow("leading zeros, same value") << 7 << "007" << 7 << "7" << false;
    QTest::newRow("pasted letters after digits") << 0 << "12abc" << 12 << "12" << true;
    QTest::newRow("pasted minus sign") << 40 << "-5" << 0 << "0" << true;
    QTest::newRow("long digit run") << 0 << "99999999999" << 255 << "255" << true;
}

void tst_MainForm::commitChannelText()
{
    QFETCH(int, before);
    QFETCH(QString, typed);
    QFETCH(int, value);
    QFETCH(QString, shown);
    QFETCH(bool, refreshed);

    Form f;
    f.form.ApplyColor(0, before, 0);
    f.view.samples.clear();
    const std::string hexaBefore = f.view.hexa;
    f.view.channelTexts[1] = typed.toStdString();
    f.form.ediColor_LostFocus(1);
    QCOMPARE(f.view.channels[1], value);
    QCOMPARE(QString::fromStdString(f.view.channelTexts[1]), shown);
    QCOMPARE(!f.view.samples.empty(), refreshed);
    if (refreshed)
        QCOMPARE(f.form.currentColor(), ColorValue(256 * value));
    else
        QCOMPARE(f.view.hexa, hexaBefore);
}

void tst_MainForm::keyPress_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("channelBox"); // what reaches a channel box
    QTest::addColumn<int>("sampleBox");  // what reaches a sample size box

    QTest::newRow("digit 0") << 48 << 48 << 48;
    QTest::newRow("digit 9") << 57 << 57 << 57;
    QTest::newRow("Backspace") << 8 << 8 << 8;
    QTest::newRow("Enter") << 13 << 0 << 0;
    QTest::newRow("minus") << 45 << 0 << 0;
    QTest::newRow("slash, below 0") << 47 << 0 << 0;
    QTest::newRow("colon, above 9") << 58 << 0 << 0;
    QTest::newRow("Ctrl+V") << 22 << 0 << 0;
    QTest::newRow("letter") << 97 << 0 << 0;
    QTest::newRow("e acute, from an input method") << 0xE9 << 0 << 0;
}

void tst_MainForm::keyPress()
{
    QFETCH(int, key);
    QFETCH(int, channelBox);
    QFETCH(int, sampleBox);

    Form f;
    f.view.channelTexts[2] = "300";
    f.view.sampleTexts[0] = "999";
    QCOMPARE(f.form.ediColor_KeyPress(2, key), channelBox);
    QCOMPARE(f.form.ediSwatch_KeyPress(0, key), sampleBox);
    // Enter commits a channel box, never a sample size box.
    QCOMPARE(f.view.channels[2], key == 13 ? 255 : 0);
    QCOMPARE(f.view.sampleTexts[0], std::string("999"));
    QCOMPARE(f.form.SwatchSize[0], std::int16_t(0));
}

void tst_MainForm::paste_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("color"); // -1: the colour stays (9, 9, 9)
    QTest::addColumn<QString>("rgbCaption");

    QTest::newRow("macro") << "RGB(255, 128, 64)" << 0x4080FF << "RGB(255, 128, 64)";
    QTest::newRow("Basic") << "&H00030201&" << 0x030201 << "RGB(1, 2, 3)";
    QTest::newRow("html") << "\"#010203\"" << 0x030201 << "RGB(1, 2, 3)";
    QTest::newRow("list") << " 1 2 3 " << 0x030201 << "RGB(1, 2, 3)";
    QTest::newRow("lone number") << "200" << -1 << "RGB(9, 9, 9)";
    QTest::newRow("junk") << "hello" << -1 << "RGB(9, 9, 9)";
    QTest::newRow("empty") << "" << -1 << "RGB(9, 9, 9)";
}

// Ctrl+V anywhere, and in either kind of number box, where it never types a character; a
// typed value not yet committed gives way to the pasted colour.
void tst_MainForm::paste()
{
    QFETCH(QString, clipboard);
    QFETCH(int, color);
    QFETCH(QString, rgbCaption);

    for (int route = 0; route < 3; ++route) {
        Form f;
        f.form.ApplyColor(9, 9, 9);
        f.view.focusOnRed = false;
        f.view.clipboardText = clipboard.toStdString();
        f.view.channelTexts[1] = "25";
        f.view.focusedBox = 1;
        f.view.sampleTexts[0] = "40";
        const ColorValue before = f.form.currentColor();
        bool taken = false;
        if (route == 0)
            taken = f.form.PasteColor();
        else if (route == 1)
            QCOMPARE(f.form.ediColor_KeyPress(1, 22), 0);
        else
            QCOMPARE(f.form.ediSwatch_KeyPress(0, 22), 0);
        if (route == 0)
            QCOMPARE(taken, color >= 0);
        QCOMPARE(f.form.currentColor(), color >= 0 ? ColorValue(color) : before);
        QCOMPARE(QString::fromStdString(f.view.rgb), rgbCaption);
        // Focus as after any command; a paste of no colour is no command.
        QCOMPARE(f.view.focusOnRed, color >= 0);
        QCOMPARE(f.view.channelTexts[1], color >= 0 ? std::to_string(f.view.channels[1])
                                                    : std::string("25"));
        QCOMPARE(f.view.sampleTexts[0], std::string("40"));
        QCOMPARE(f.view.clipboardText, clipboard.toStdString());
    }
}

void tst_MainForm::notationAndCopies_data()
{
    QTest::addColumn<int>("notation");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("copied");

    QTest::newRow("C") << 0 << "0x000080FF"
                       << "0x000080FF";
    QTest::newRow("Pascal") << 1 << "$000080FF"
                            << "$000080FF";
    QTest::newRow("Basic") << 2 << "&&H000080FF&&"
                           << "&H000080FF&";
    QTest::newRow("Asm") << 3 << "000080FFH"
                         << "000080FFH";
}

void tst_MainForm::notationAndCopies()
{
    QFETCH(int, notation);
    QFETCH(QString, caption);
    QFETCH(QString, copied);

    Form f;
    f.form.ApplyColor(255, 128, 0);
    f.form.optLang_Click(notation);
    QCOMPARE(int(f.form.HexaType), notation);
    QCOMPARE(QString::fromStdString(f.view.hexa), caption);

    f.form.cmdCopyHexa_Click();
    QCOMPARE(QString::fromStdString(f.view.clipboardText), copied);
    QVERIFY(f.view.focusOnRed);

    f.view.focusOnRed = false;
    f.form.cmdCopyRGB_Click();
    QCOMPARE(f.view.clipboardText, std::string("RGB(255, 128, 0)"));
    QVERIFY(f.view.focusOnRed);

    f.view.focusOnRed = false;
    f.form.cmdCopyHTML_Click();
    QCOMPARE(f.view.clipboardText, std::string("\"#FF8000\""));
    QVERIFY(f.view.focusOnRed);
}

void tst_MainForm::copySample_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("widthShown");
    QTest::addColumn<QString>("heightShown");

    QTest::newRow("both empty") << ""
                                << "" << QSize(8, 8) << "8"
                                << "8";
    QTest::newRow("999 x 5") << "999"
                             << "5" << QSize(256, 8) << "256"
                             << "8";
    QTest::newRow("20 x 300") << "20"
                              << "300" << QSize(20, 256) << "20"
                              << "256";
    QTest::newRow("064 kept as typed") << "064"
                                       << "256" << QSize(64, 256) << "064"
                                       << "256";
}

void tst_MainForm::copySample()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QSize, size);
    QFETCH(QString, widthShown);
    QFETCH(QString, heightShown);

    Form f;
    f.form.ApplyColor(1, 2, 3);
    f.view.sampleTexts = {width.toStdString(), height.toStdString()};
    f.form.cmdCopySample_Click();
    QCOMPARE(QSize(f.form.SwatchSize[0], f.form.SwatchSize[1]), size);
    QCOMPARE(QString::fromStdString(f.view.sampleTexts[0]), widthShown);
    QCOMPARE(QString::fromStdString(f.view.sampleTexts[1]), heightShown);
    QVERIFY(f.view.clipboardHoldsSample);
    QCOMPARE(QSize(f.view.clipboardSample.width, f.view.clipboardSample.height), size);
    QCOMPARE(f.view.clipboardSample.color, ColorValue(0x030201));
    QVERIFY(f.view.focusOnRed);
}

void tst_MainForm::editColor()
{
    Form f;
    f.form.ApplyColor(10, 20, 30);
    // Cancel gives back the colour passed in: nothing changes.
    f.form.cmdEditColor_Click();
    QCOMPARE(f.functions.calls.back(), "ShowColorDialog " + std::to_string(0x1E140A) + " 4660");
    QCOMPARE(f.form.currentColor(), ColorValue(0x1E140A));
    QVERIFY(f.view.focusOnRed);

    // Whatever comes back is split and applied without a test, the high byte dropped.
    f.functions.dialogAnswers = true;
    f.functions.dialogAnswer = 0xAB0080FF;
    f.form.cpRGB_DblClick();
    QCOMPARE(f.form.currentColor(), ColorValue(0x0080FF));
    QCOMPARE(f.view.rgb, std::string("RGB(255, 128, 0)"));
}

void tst_MainForm::alwaysOnTop()
{
    Form f;
    f.view.setTopMostChecked(true);
    QCOMPARE(f.form.TopMost, std::int16_t(1));
    f.view.setTopMostChecked(false);
    QCOMPARE(f.form.TopMost, std::int16_t(0));
    const std::vector<std::string> expected = {"SetWindowPos 4660 -1 0 0 0 0 67",
                                               "SetWindowPos 4660 -2 0 0 0 0 67"};
    QCOMPARE(f.functions.calls, expected);
}

void tst_MainForm::loadReadsInOrder()
{
    Form f;
    f.form.Form_Load();
    const std::vector<std::string> expected = {"LoadCustomColors",
                                               "Read RGB Color/Red",
                                               "Read RGB Color/Green",
                                               "Read RGB Color/Blue",
                                               "Read RGB Sample/Width",
                                               "Read RGB Sample/Height",
                                               "Read RGB Tintora/HexaFormat",
                                               "Read RGB Tintora/Left",
                                               "Read RGB Tintora/Top",
                                               "Read RGB Tintora/TopMost"};
    QCOMPARE(f.functions.calls, expected);
    for (const std::string &path : f.functions.paths)
        QCOMPARE(path, std::string("/folder/HUELOFT.INI"));
    QCOMPARE(f.form.SettingsPath, std::string("/folder/HUELOFT.INI"));
    // Centred: (19200 - 4500) / 2 and (15360 - 5700) / 2.
    QCOMPARE(f.functions.defaults["Left"], 7350);
    QCOMPARE(f.functions.defaults["Top"], 4830);
    QCOMPARE(f.view.left, 7350);
    QCOMPARE(f.view.top, 4830);
    QCOMPARE(f.view.chips, (std::array<ColorValue, 3>{255, 65280, 16711680}));
    QCOMPARE(f.view.sampleTexts, (std::array<std::string, 2>{"32", "32"}));
    QCOMPARE(f.view.hexa, std::string("0x00000000"));
    QVERIFY(!f.view.topMost);
}

// A per-user file not made yet starts from the older file beside the program; the exit writes
// the per-user file only.
void tst_MainForm::olderFileReadOnce()
{
    Form f;
    f.view.place.readFrom = "/program/HUELOFT.INI";
    f.form.Form_Load();
    const std::size_t reads = f.functions.paths.size();
    f.form.Form_Unload();
    for (std::size_t i = 0; i < f.functions.paths.size(); ++i)
        QCOMPARE(f.functions.paths[i],
                 std::string(i < reads ? "/program/HUELOFT.INI" : "/folder/HUELOFT.INI"));
    QCOMPARE(f.form.SettingsPath, std::string("/folder/HUELOFT.INI"));
}

void tst_MainForm::loadAppliesOddValues_data()
{
    QTest::addColumn<int>("hexaFormat");
    QTest::addColumn<int>("topMost");
    QTest::addColumn<int>("notationSelected");
    QTest::addColumn<QString>("hexa");
    QTest::addColumn<bool>("onTop");

    QTest::newRow("Basic, on top") << 2 << 1 << 2 << "&&H000080FF&&" << true;
    // Outside 0..3: no option changes and the text keeps notation 0 until the next refresh.
    QTest::newRow("notation 7") << 7 << 0 << 0 << "0x000080FF" << false;
    // Outside 0 and 1: the box stays clear and nothing is restacked.
    QTest::newRow("TopMost 5") << 1 << 5 << 1 << "$000080FF" << false;
    QTest::newRow("beyond 16 bits") << 70000 << -70000 << 0 << "0x000080FF" << false;
}

void tst_MainForm::loadAppliesOddValues()
{
    QFETCH(int, hexaFormat);
    QFETCH(int, topMost);
    QFETCH(int, notationSelected);
    QFETCH(QString, hexa);
    QFETCH(bool, onTop);

    Form f;
    f.functions.stored = {{"RGB Color/Red", 255},
                          {"RGB Color/Green", 128},
                          {"RGB Tintora/HexaFormat", hexaFormat},
                          {"RGB Tintora/TopMost", topMost},
                          {"RGB Sample/Width", 1000}};
    f.form.Form_Load();
    QCOMPARE(int(f.form.HexaType), std::clamp(hexaFormat, -32768, 32767));
    QCOMPARE(int(f.form.TopMost), std::clamp(topMost, -32768, 32767));
    QCOMPARE(f.view.notation, notationSelected);
    QCOMPARE(QString::fromStdString(f.view.hexa), hexa);
    QCOMPARE(f.view.topMost, onTop);
    QCOMPARE(f.functions.calls.back() == "SetWindowPos 4660 -1 0 0 0 0 67", onTop);
    QCOMPARE(f.view.sampleTexts[0], std::string("1000"));
}

void tst_MainForm::unloadWritesInOrder()
{
    Form f;
    f.form.Form_Load();
    f.functions.calls.clear();
    f.form.ApplyColor(64, 128, 192);
    f.form.optLang_Click(3);
    f.view.left = -45;
    f.view.top = 1LL << 40;             // beyond 32 bits: written at the nearest end
    f.view.sampleTexts = {"100", "50"}; // typed, never copied: not saved
    // Another copy saved a width meanwhile; this one left its width as it found it.
    f.functions.stored["RGB Sample/Width"] = 99;
    f.form.cmdExit_Click();
    QVERIFY(f.view.closed);
    // What this copy did not change is written only where the file holds no decimal for it.
    const std::vector<std::string> expected = {
        "Write RGB Tintora/Top=2147483647", "Write RGB Tintora/Left=-45",
        "ReadText RGB Tintora/TopMost",     "Write RGB Tintora/TopMost=0",
        "Write RGB Tintora/HexaFormat=3",   "ReadText RGB Sample/Width",
        "Read RGB Sample/Width",            "ReadText RGB Sample/Height",
        "Write RGB Sample/Height=32",
        "Write RGB Color/Red=64",           "Write RGB Color/Green=128",
        "Write RGB Color/Blue=192",         "SaveCustomColors",
        "Flush"};
    QCOMPARE(f.functions.calls, expected);
    // A second unload (a close after Exit) writes nothing more.
    f.form.Form_Unload();
    QCOMPARE(f.functions.calls.size(), expected.size());
}

// Each problem with the settings or the library is shown to the user in the words of its line
// on standard error, once, however often it happens; nothing when all is well.
void tst_MainForm::problemsTold_data()
{
    QTest::addColumn<QString>("problem");    // the place cannot hold settings
    QTest::addColumn<QString>("note");       // the place said at start
    QTest::addColumn<QString>("writeError"); // every write fails so
    QTest::addColumn<QString>("saveProblem"); // the file could not be replaced
    QTest::addColumn<QStringList>("loader");  // lines of the library loader, told to the form
    QTest::addColumn<QStringList>("told");

    const QString none;
    QTest::newRow("all well") << none << none << none << none << QStringList() << QStringList();
    QTest::newRow("unusable file")
        << "it is a FIFO" << none << none << none << QStringList()
        << QStringList{"hueloft: settings and custom colours neither read nor saved: "
                       "/folder/HUELOFT.INI: it is a FIFO"};
    QTest::newRow("kept elsewhere")
        << none << "/program/HUELOFT.INI cannot be written by this user; settings kept in "
                   "/folder/HUELOFT.INI"
        << none << none << QStringList()
        << QStringList{"hueloft: /program/HUELOFT.INI cannot be written by this user; settings "
                       "kept in /folder/HUELOFT.INI"};
    QTest::newRow("writes fail")
        << none << none << "/folder/HUELOFT.INI: Disk full" << none << QStringList()
        << QStringList{"hueloft: settings and custom colours not saved: /folder/HUELOFT.INI: "
                       "Disk full"};
    QTest::newRow("replace fails")
        << none << none << none << "cannot replace /folder/HUELOFT.INI: Permission denied"
        << QStringList()
        << QStringList{"hueloft: settings and custom colours not saved: cannot replace "
                       "/folder/HUELOFT.INI: Permission denied"};
    QTest::newRow("library missing, said twice")
        << none << none << none << none
        << QStringList{"hueloft: cannot load swatchy: libswatchy.so is not in /program",
                       "hueloft: cannot load swatchy: libswatchy.so is not in /program"}
        << QStringList{"hueloft: cannot load swatchy: libswatchy.so is not in /program"};
    QTest::newRow("start and exit both")
        << none << "/a cannot be written by this user; settings kept in /folder/HUELOFT.INI"
        << "/folder/HUELOFT.INI: Disk full" << none
        << QStringList{"hueloft: swatchy (/program/libswatchy.so) has no entry point "
                       "SaveCustomColors"}
        << QStringList{"hueloft: /a cannot be written by this user; settings kept in "
                       "/folder/HUELOFT.INI",
                       "hueloft: swatchy (/program/libswatchy.so) has no entry point "
                       "SaveCustomColors",
                       "hueloft: settings and custom colours not saved: /folder/HUELOFT.INI: "
                       "Disk full"};
}

void tst_MainForm::problemsTold()
{
    QFETCH(QString, problem);
    QFETCH(QString, note);
    QFETCH(QString, writeError);
    QFETCH(QString, saveProblem);
    QFETCH(QStringList, loader);
    QFETCH(QStringList, told);

    Form f;
    f.view.place.problem = problem.toStdString();
    f.view.place.note = note.toStdString();
    f.view.saveProblem = saveProblem.toStdString();
    if (!writeError.isEmpty()) {
        f.functions.writeResult = 0;
        f.functions.writeError = writeError.toStdString();
    }
    std::vector<std::string> printed;
    {
        StandardError standardError;
        f.form.Form_Load();
        for (const QString &line : loader)
            f.form.TellProblem(line.toStdString());
        f.form.cmdExit_Click();
        f.form.Form_Unload();
        printed = standardError.lines();
    }
    QStringList shown;
    for (const std::string &text : f.view.toldProblems)
        shown << QString::fromStdString(text);
    QCOMPARE(shown, told);
    // The form's own lines are the very lines it printed; the loader prints its own.
    QStringList own;
    for (const std::string &line : printed)
        own << QString::fromStdString(line);
    QStringList expectedOwn = told;
    for (const QString &line : loader)
        expectedOwn.removeAll(line);
    QCOMPARE(own, expectedOwn);
}

// A value typed into a channel box and never committed is saved as shown, whichever box has
// the focus when the window closes; a box without the focus keeps what the scroll bar holds.
// Edit color started with the focus still in the box (its access key) opens with that value.
void tst_MainForm::unloadCommitsTypedValue_data()
{
    QTest::addColumn<int>("focused");
    QTest::addColumn<QString>("expectedBlue");
    QTest::addColumn<bool>("editColor"); // before the exit
    QTest::newRow("typed box has the focus") << 2 << QStringLiteral("Blue=7") << false;
    QTest::newRow("focus elsewhere") << -1 << QStringLiteral("Blue=192") << false;
    QTest::newRow("Edit color") << 2 << QStringLiteral("Blue=7") << true;
}

void tst_MainForm::unloadCommitsTypedValue()
{
    QFETCH(int, focused);
    QFETCH(QString, expectedBlue);
    QFETCH(bool, editColor);
    Form f;
    f.form.Form_Load();
    f.form.ApplyColor(64, 128, 192);
    f.view.channelTexts[2] = "7";
    f.view.focusedBox = focused;
    f.functions.calls.clear();
    if (editColor) { // blue 7, green 128, red 64
        f.form.cmdEditColor_Click();
        QCOMPARE(f.functions.calls.front(), "ShowColorDialog 491584 " + std::to_string(0x1234));
        f.view.focusedBox = -1;
    }
    f.form.cmdExit_Click();
    const std::string wanted = "Write RGB Color/" + expectedBlue.toStdString();
    QVERIFY(std::find(f.functions.calls.begin(), f.functions.calls.end(), wanted)
            != f.functions.calls.end());
    QCOMPARE(f.functions.calls.back(), std::string("Flush"));
}

// The frame is known only once the window is shown: a window at the centred default is
// centred again with it, a window at a stored position stays there.
void tst_MainForm::framedWindowCentred_data()
{
    QTest::addColumn<int>("storedLeft"); // -1: not stored
    QTest::addColumn<int>("storedTop");
    QTest::addColumn<bool>("placesWindows");
    QTest::addColumn<qint64>("left"); // after the frame is known
    QTest::addColumn<qint64>("top");
    QTest::addColumn<int>("copiesBefore"); // copies of the program open already
    // Screen 19200 x 15360 twips; the window 4500 x 5700, framed 4530 x 6030.
    QTest::newRow("first run") << -1 << -1 << true << qint64(7335) << qint64(4665) << 0;
    QTest::newRow("stored at the frameless centre")
        << 7350 << 4830 << true << qint64(7335) << qint64(4665) << 0;
    QTest::newRow("stored elsewhere") << 300 << 4830 << true << qint64(300) << qint64(4830) << 0;
    // A stored place that leaves the window, frame included, off the screen: moved back by the
    // least move, and saved where it is then.
    QTest::newRow("only Left stored, off the screen")
        << -900 << -1 << true << qint64(0) << qint64(4830) << 0;
    QTest::newRow("far right and below") << 90000 << 90000 << true << qint64(14670) << qint64(9330)
                                         << 0;
    QTest::newRow("far left and above") << -90000 << -90000 << true << qint64(0) << qint64(0) << 0;
    QTest::newRow("title bar above the top edge")
        << 3000 << -200 << true << qint64(3000) << qint64(0) << 0;
    QTest::newRow("Wayland, first run") << -1 << -1 << false << qint64(7350) << qint64(4830) << 0;
    // A second copy opens a step aside from the first; a third two steps.
    QTest::newRow("second copy, first run")
        << -1 << -1 << true << qint64(7785) << qint64(5115) << 1;
    QTest::newRow("third copy, stored elsewhere")
        << 300 << 4830 << true << qint64(1200) << qint64(5730) << 2;
    QTest::newRow("second copy at the right edge: back to the left")
        << 14700 << 9000 << true << qint64(14250) << qint64(9330) << 1;
    // Sixteen copies counted (names another user may hold): still whole on the screen.
    QTest::newRow("seventeenth copy") << -1 << -1 << true << qint64(14535) << qint64(0) << 16;
    QTest::newRow("second copy at the bottom edge: back up")
        << 300 << 9600 << true << qint64(750) << qint64(9150) << 1;
    QTest::newRow("Wayland, second copy") << -1 << -1 << false << qint64(7350) << qint64(4830)
                                          << 1;
}

void tst_MainForm::framedWindowCentred()
{
    QFETCH(int, storedLeft);
    QFETCH(int, storedTop);
    QFETCH(bool, placesWindows);
    QFETCH(qint64, left);
    QFETCH(qint64, top);
    QFETCH(int, copiesBefore);

    for (const bool movedByUser : {false, true}) {
        Form f;
        f.view.system = {"test", placesWindows, placesWindows};
        if (storedLeft != -1)
            f.functions.stored["RGB Tintora/Left"] = storedLeft;
        if (storedTop != -1)
            f.functions.stored["RGB Tintora/Top"] = storedTop;
        f.form.Form_Load();
        f.form.StepAside(copiesBefore);
        f.view.outer = {4530, 6030};
        f.form.WindowFramed();
        QCOMPARE(f.view.left, left);
        QCOMPARE(f.view.top, top);
        // Once only: a later frame change (a theme) does not move the window again.
        f.view.outer = {4560, 6360};
        f.form.WindowFramed();
        QCOMPARE(f.view.left, left);
        if (movedByUser)
            f.view.left = 15;
        // The exit saves where the window is, unless it stepped aside and stayed there: then
        // the place the file gave it, which the first copy keeps too.
        f.form.Form_Unload();
        // What the file holds afterwards: the value written, or the one it kept.
        const auto &calls = f.functions.calls;
        const auto written = [&calls, &f](const char *key) {
            const std::string prefix = std::string("Write RGB Tintora/") + key + "=";
            const auto found = std::find_if(calls.begin(), calls.end(), [&](const std::string &c) {
                return c.starts_with(prefix);
            });
            if (found != calls.end())
                return QString::fromStdString(found->substr(prefix.size()));
            const auto kept = f.functions.stored.find(std::string("RGB Tintora/") + key);
            return kept == f.functions.stored.end() ? QString() : QString::number(kept->second);
        };
        const bool keptStored = !placesWindows || (copiesBefore > 0 && !movedByUser);
        const auto defaultOr = [](int stored, const char *key, Form &form) {
            return stored != -1 ? QString::number(stored)
                                : QString::number(form.functions.defaults[key]);
        };
        QCOMPARE(written("Left"), keptStored ? defaultOr(storedLeft, "Left", f)
                                             : QString::number(f.view.left));
        QCOMPARE(written("Top"), keptStored ? defaultOr(storedTop, "Top", f)
                                            : QString::number(f.view.top));
    }
}

// Screens side by side, one with a panel: a window whole on any work area stays exactly where it
// is; one off all of them goes onto the one it overlaps most, or the nearest.
void tst_MainForm::placeOnScreen_data()
{
    QTest::addColumn<TwipsRect>("window");
    QTest::addColumn<qint64>("left"); // -1: not moved
    QTest::addColumn<qint64>("top");
    QTest::newRow("on the first screen") << TwipsRect{300, 600, 4500, 6000} << qint64(-1) << qint64(-1);
    QTest::newRow("on the second screen") << TwipsRect{25000, 600, 4500, 6000} << qint64(-1)
                                          << qint64(-1);
    QTest::newRow("across the two screens, more on the second")
        << TwipsRect{18000, 600, 4500, 6000} << qint64(19200) << qint64(600);
    QTest::newRow("under the second screen's panel")
        << TwipsRect{25000, 0, 4500, 6000} << qint64(25000) << qint64(450);
    QTest::newRow("beyond the second screen, far right")
        << TwipsRect{90000, 3000, 4500, 6000} << qint64(33900) << qint64(3000);
    QTest::newRow("below both, nearer the first")
        << TwipsRect{1000, 40000, 4500, 6000} << qint64(1000) << qint64(9360);
    QTest::newRow("larger than the screen: its top left corner on it")
        << TwipsRect{-3000, -3000, 30000, 20000} << qint64(0) << qint64(0);
}

void tst_MainForm::placeOnScreen()
{
    QFETCH(TwipsRect, window);
    QFETCH(qint64, left);
    QFETCH(qint64, top);
    const std::vector<TwipsRect> areas = {{0, 0, 19200, 15360}, {19200, 450, 19200, 14910}};
    const std::optional<TwipsPoint> to = hueloft::placeOnScreen(window, areas);
    QCOMPARE(to.has_value(), left != -1);
    if (to) {
        QCOMPARE(to->left, left);
        QCOMPARE(to->top, top);
    }
}

// A Wayland compositor reports no position (the window says 0, 0): the stored one must be
// written back as it was read, the defaults when there was none.
void tst_MainForm::positionKeptWhereNotReported_data()
{
    QTest::addColumn<int>("storedLeft"); // -1: not stored
    QTest::addColumn<int>("storedTop");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::newRow("stored") << 1890 << 1080 << "1890"
                            << "1080";
    QTest::newRow("negative") << -45 << -3000 << "-45"
                              << "-3000";
    QTest::newRow("none") << -1 << -1 << "7350"
                          << "4830";
}

void tst_MainForm::positionKeptWhereNotReported()
{
    QFETCH(int, storedLeft);
    QFETCH(int, storedTop);
    QFETCH(QString, left);
    QFETCH(QString, top);

    Form f;
    f.view.system = {"wayland", false, false};
    if (storedLeft != -1)
        f.functions.stored["RGB Tintora/Left"] = storedLeft;
    if (storedTop != -1)
        f.functions.stored["RGB Tintora/Top"] = storedTop;
    f.form.Form_Load();
    f.view.left = 0;
    f.view.top = 0;
    f.form.Form_Unload();
    // What the file holds afterwards: the value written, or the one it kept.
    const auto written = [&f](const std::string &key) {
        for (const std::string &call : f.functions.calls) {
            if (call.rfind("Write RGB Tintora/" + key + "=", 0) == 0)
                return QString::fromStdString(call.substr(call.find('=') + 1));
        }
        const auto kept = f.functions.stored.find("RGB Tintora/" + key);
        return kept == f.functions.stored.end() ? QStringLiteral("<none>")
                                                : QString::number(kept->second);
    };
    QCOMPARE(written("Left"), left);
    QCOMPARE(written("Top"), top);
}

QTEST_GUILESS_MAIN(tst_MainForm)

#include "tst_mainform.moc"
