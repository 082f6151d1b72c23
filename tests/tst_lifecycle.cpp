// SPDX-License-Identifier: MIT
// Start-up and shut-down: the settings file read at load and written at unload, always on top,
// the colour dialog, the About box and Exit.

#include "windowfixture.h"

#include "editor/qt/commandline.h"
#include "editor/resources/buildinfo.h"

#include "captionsfit.h"
#include "editor/core/twips.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

#include <functional>

#include <sys/stat.h>

class tst_Lifecycle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstRunWritesEveryKeyInOrder();
    void saveAndRestore();
    void exitButtonSaves();
    void typedValueSavedAtExit_data();
    void typedValueSavedAtExit();
    void sampleBoxesWithoutCopyKeepSavedSize();
    void storedValues_data();
    void storedValues();
    void longStoredSizeShowsItsStart_data();
    void longStoredSizeShowsItsStart();
    void hexaFormatOutsideRange();
    void alwaysOnTopKeepsGeometry();
    void editColor_data();
    void editColor();
    void aboutBox_data();
    void aboutBox();
    void otherKeysAndSectionsSurvive();
    void problemBoxes_data();
    void problemBoxes();

private:
    static QByteArray fileBytes(const WindowFixture &f);
    static QString value(const WindowFixture &f, const QString &section, const QString &key);
    // Runs Action once the next modal dialog is up, then returns; fails the test if none opens.
    static void whenModal(std::function<void(QWidget *)> action);
};

QByteArray tst_Lifecycle::fileBytes(const WindowFixture &f)
{
    QFile file(f.settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString tst_Lifecycle::value(const WindowFixture &f, const QString &section, const QString &key)
{
    QString current;
    for (const QByteArray &line : fileBytes(f).split('\n')) {
        // Names match without regard to case or surrounding blanks, as the profile functions
        // read them.
        const QString text = QString::fromLatin1(line).trimmed();
        if (text.startsWith(u'[')) {
            current = text.mid(1, text.indexOf(u']') - 1).trimmed();
            continue;
        }
        const qsizetype equals = text.indexOf(u'=');
        if (equals > 0 && current.compare(section, Qt::CaseInsensitive) == 0
            && text.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return text.mid(equals + 1).trimmed();
    }
    return QStringLiteral("<missing>");
}

void tst_Lifecycle::whenModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *modal = nullptr;
        for (int i = 0; i < 200 && !modal; ++i) {
            modal = QApplication::activeModalWidget();
            if (!modal)
                QTest::qWait(10);
        }
        if (modal)
            action(modal);
    });
}

void tst_Lifecycle::firstRunWritesEveryKeyInOrder()
{
    WindowFixture f;
    QVERIFY(f.start());
    QVERIFY(!QFile::exists(f.settingsPath())); // nothing is written before exit
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // The whole window is centred, frame included, although the frame is known only once
    // the window is shown.
    const QSize outer = f.window->frameGeometry().size();
    QVERIFY(outer != f.window->size());
    const int left = (screen.width() - outer.width()) * 15 / 2;
    const int top = (screen.height() - outer.height()) * 15 / 2;
    QVERIFY2(qAbs(f.window->x() * 15 - left) <= 15 && qAbs(f.window->y() * 15 - top) <= 15,
             qPrintable(QStringLiteral("at %1,%2 twips, centred is %3,%4")
                            .arg(f.window->x() * 15).arg(f.window->y() * 15).arg(left).arg(top)));
    f.window->close();

    QByteArray expected = QStringLiteral("[RGB Tintora]\nTop=%1\nLeft=%2\nTopMost=0\nHexaFormat=0\n"
                                         "[RGB Sample]\nWidth=32\nHeight=32\n"
                                         "[RGB Color]\nRed=0\nGreen=0\nBlue=0\n"
                                         "[Custom Colors]\n")
                              .arg(f.window->y() * 15)
                              .arg(f.window->x() * 15)
                              .toLatin1();
    for (int i = 0; i < 16; ++i)
        expected += "RGB_Color_" + QByteArray::number(i) + "=0\n";
    QCOMPARE(fileBytes(f), expected);
}

void tst_Lifecycle::saveAndRestore()
{
    WindowFixture f;
    QVERIFY(f.start());
    auto *green = f.control<QLineEdit>("ediColor1");
    green->setFocus();
    green->selectAll();
    QTest::keyClicks(green, "200");
    QTest::keyClick(green, Qt::Key_Return);
    QTest::keyClick(f.control<QScrollBar>("hsbColor2"), Qt::Key_End);
    QTest::mouseClick(f.control<QRadioButton>("optLang1"), Qt::LeftButton);
    QTest::mouseClick(f.control<QCheckBox>("chkTop"), Qt::LeftButton);
    QCOMPARE(f.window->form().TopMost, 1);
    f.window->move(105, 45);
    QTRY_COMPARE(f.window->pos(), QPoint(105, 45));
    f.window->close();
    QCOMPARE(value(f, "RGB Tintora", "Left"), QStringLiteral("1575"));
    QCOMPARE(value(f, "RGB Tintora", "Top"), QStringLiteral("675"));

    // A second run from the same folder finds everything as it was left.
    WindowFixture again;
    again.folder.setAutoRemove(false);
    f.window.reset();
    f.functions.reset();
    {
        DeclaredFunctions functions({HUELOFT_BIN_DIR, {}});
        SystemSettingsStore settings(QFile::encodeName(f.folder.path()).toStdString());
        MainWindow window(functions, settings);
        window.form().Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.findChild<QScrollBar *>("hsbColor1")->value(), 200);
        QCOMPARE(window.findChild<QScrollBar *>("hsbColor2")->value(), 255);
        QCOMPARE(window.findChild<QLabel *>("txtHexa")->text(), QStringLiteral("$00FFC800"));
        QVERIFY(window.findChild<QRadioButton *>("optLang1")->isChecked());
        QVERIFY(window.findChild<QCheckBox *>("chkTop")->isChecked());
        QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(window.pos(), QPoint(105, 45));
        window.close();
    }
}

void tst_Lifecycle::exitButtonSaves()
{
    WindowFixture f;
    QVERIFY(f.start());
    f.window->form().ApplyColor(1, 2, 3);
    QTest::keyClick(f.window.get(), Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(!f.window->isVisible());
    QCOMPARE(value(f, "RGB Color", "Red"), QStringLiteral("1"));
    QCOMPARE(value(f, "RGB Color", "Blue"), QStringLiteral("3"));
    // Unloading twice (Exit, then the application's own close at exit) writes once.
    const QByteArray once = fileBytes(f);
    f.window->close();
    QCOMPARE(fileBytes(f), once);
}

// A value typed into a channel box and not committed (no Enter, focus still in the box) is
// what the box shows; every way of closing the window saves it.
void tst_Lifecycle::typedValueSavedAtExit_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("how"); // alt+x, close, or deactivated then close
    QTest::addColumn<QString>("saved");
    QTest::newRow("red 7, Alt+X") << 0 << QStringLiteral("7") << QStringLiteral("alt+x")
                                  << QStringLiteral("7");
    QTest::newRow("green 300, close box") << 1 << QStringLiteral("300") << QStringLiteral("close")
                                          << QStringLiteral("255");
    QTest::newRow("blue emptied, close box") << 2 << QString() << QStringLiteral("close")
                                             << QStringLiteral("0");
    QTest::newRow("red 9, window inactive") << 0 << QStringLiteral("9")
                                            << QStringLiteral("inactive") << QStringLiteral("9");
}

void tst_Lifecycle::typedValueSavedAtExit()
{
    QFETCH(int, channel);
    QFETCH(QString, typed);
    QFETCH(QString, how);
    QFETCH(QString, saved);
    WindowFixture f;
    QVERIFY(f.start());
    f.window->form().ApplyColor(50, 60, 70);
    auto *box = f.control<QLineEdit>(qPrintable(QStringLiteral("ediColor%1").arg(channel)));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), typed);
    if (how == QLatin1String("alt+x")) {
        QTest::keyClick(f.window.get(), Qt::Key_X, Qt::AltModifier);
    } else {
        if (how == QLatin1String("inactive")) {
            QWidget other;
            other.show();
            other.activateWindow();
            QTRY_VERIFY(!f.window->isActiveWindow());
        }
        f.window->close();
    }
    QTRY_VERIFY(!f.window->isVisible());
    const char *keys[] = {"Red", "Green", "Blue"};
    QCOMPARE(value(f, "RGB Color", keys[channel]), saved);
}

void tst_Lifecycle::sampleBoxesWithoutCopyKeepSavedSize()
{
    WindowFixture f;
    QVERIFY(f.start("[RGB Sample]\nWidth=64\nHeight=48\n"));
    for (auto [name, text] : {std::pair{"ediSwatch0", "100"}, std::pair{"ediSwatch1", "50"}}) {
        auto *box = f.control<QLineEdit>(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    f.window->close();
    QCOMPARE(value(f, "RGB Sample", "Width"), QStringLiteral("64"));
    QCOMPARE(value(f, "RGB Sample", "Height"), QStringLiteral("48"));
}

void tst_Lifecycle::storedValues_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("shown");   // red box, green box, blue box, width, height
    QTest::addColumn<QStringList>("written"); // Red, Green, Blue, Width, Height, TopMost
    QTest::addColumn<bool>("onTop");

    QTest::newRow("width 1000")
        << QByteArray("[RGB Sample]\nWidth=1000\n")
        << QStringList{"0", "0", "0", "1000", "32"}
        << QStringList{"0", "0", "0", "1000", "32", "0"} << false;
    QTest::newRow("channels out of range, text")
        << QByteArray("[RGB Color]\nRed=300\nGreen=-5\nBlue=abc\n")
        << QStringList{"255", "0", "0", "32", "32"}
        << QStringList{"255", "0", "0", "32", "32", "0"} << false;
    QTest::newRow("hexadecimal and huge")
        << QByteArray("[RGB Color]\nRed=0x10\nGreen=4294967297\n[RGB Sample]\nWidth=99999\nHeight=-40000\n")
        << QStringList{"16", "1", "0", "32767", "-32768"}
        << QStringList{"16", "1", "0", "32767", "-32768", "0"} << false;
    QTest::newRow("on top 1")
        << QByteArray("[RGB Tintora]\nTopMost=1\n")
        << QStringList{"0", "0", "0", "32", "32"}
        << QStringList{"0", "0", "0", "32", "32", "1"} << true;
    QTest::newRow("on top 5 is kept but not applied")
        << QByteArray("[RGB Tintora]\nTopMost=5\n")
        << QStringList{"0", "0", "0", "32", "32"}
        << QStringList{"0", "0", "0", "32", "32", "5"} << false;
    QTest::newRow("case-insensitive names, blanks")
        << QByteArray("[rgb color]\r\n  RED = 12 \r\n")
        << QStringList{"12", "0", "0", "32", "32"}
        << QStringList{"12", "0", "0", "32", "32", "0"} << false;
}

void tst_Lifecycle::storedValues()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, written);
    QFETCH(bool, onTop);

    WindowFixture f;
    QVERIFY(f.start(file));
    const char *boxes[] = {"ediColor0", "ediColor1", "ediColor2", "ediSwatch0", "ediSwatch1"};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(f.control<QLineEdit>(boxes[i])->text(), shown[i]);
    QCOMPARE(f.control<QCheckBox>("chkTop")->isChecked(), onTop);
    QCOMPARE(bool(f.window->windowFlags() & Qt::WindowStaysOnTopHint), onTop);
    f.window->close();
    const QString keys[][2] = {{"RGB Color", "Red"},    {"RGB Color", "Green"},
                               {"RGB Color", "Blue"},   {"RGB Sample", "Width"},
                               {"RGB Sample", "Height"}, {"RGB Tintora", "TopMost"}};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(value(f, keys[i][0], keys[i][1]), written[i]);
}

void tst_Lifecycle::longStoredSizeShowsItsStart_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("width 1000") << QByteArray("[RGB Sample]\nWidth=1000\n") << "ediSwatch0"
                                << "1000";
    QTest::newRow("height 32767") << QByteArray("[RGB Sample]\nHeight=99999\n") << "ediSwatch1"
                                  << "32767";
    QTest::newRow("width -40") << QByteArray("[RGB Sample]\nWidth=-40\n") << "ediSwatch0"
                               << "-40";
}

// The box is three digits wide: a longer stored size must show its first digits, as the
// person reads it, not its last ones.
void tst_Lifecycle::longStoredSizeShowsItsStart()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, box);
    QFETCH(QString, text);

    WindowFixture f;
    QVERIFY(f.start(file));
    auto *edit = f.control<QLineEdit>(box.toLatin1().constData());
    QCOMPARE(edit->text(), text);
    const QImage shown = edit->grab().toImage();
    // The same box showing only the first three characters, drawn from its start.
    edit->setText(text.left(3));
    edit->setCursorPosition(0);
    const QImage start = edit->grab().toImage();
    const int width = edit->contentsRect().left() +
                      edit->fontMetrics().horizontalAdvance(text.left(2)) +
                      edit->textMargins().left() + 2;
    QCOMPARE(shown.copy(0, 0, width, shown.height()), start.copy(0, 0, width, start.height()));
}

void tst_Lifecycle::hexaFormatOutsideRange()
{
    {
        WindowFixture f;
        QVERIFY(f.start("[RGB Color]\nRed=255\nGreen=128\n[RGB Tintora]\nHexaFormat=2\n"));
        QVERIFY(f.control<QRadioButton>("optLang2")->isChecked());
        QCOMPARE(f.control<QLabel>("txtHexa")->text(), QStringLiteral("&H000080FF&"));
    }
    WindowFixture f;
    QVERIFY(f.start("[RGB Color]\nRed=255\nGreen=128\n[RGB Tintora]\nHexaFormat=7\n"));
    QVERIFY(f.control<QRadioButton>("optLang0")->isChecked());
    QCOMPARE(f.window->form().HexaType, 7);
    // The start-up texts were built before the notation was read ...
    QCOMPARE(f.control<QLabel>("txtHexa")->text(), QStringLiteral("0x000080FF"));
    // ... the next change shows the bare digits.
    QTest::keyClick(f.control<QScrollBar>("hsbColor2"), Qt::Key_Right);
    QCOMPARE(f.control<QLabel>("txtHexa")->text(), QStringLiteral("000180FF"));
    f.window->close();
    QCOMPARE(value(f, "RGB Tintora", "HexaFormat"), QStringLiteral("7"));
}

void tst_Lifecycle::alwaysOnTopKeepsGeometry()
{
    WindowFixture f;
    QVERIFY(f.start("[RGB Tintora]\nLeft=1500\nTop=750\n"));
    QCOMPARE(f.window->pos(), QPoint(100, 50));
    const QRect before = f.window->geometry();
    auto *box = f.control<QCheckBox>("chkTop");
    for (int expected : {1, 0, 1, 0}) {
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(int(f.window->form().TopMost), expected);
        QCOMPARE(box->isChecked(), expected == 1);
        QCOMPARE(bool(f.window->windowFlags() & Qt::WindowStaysOnTopHint), expected == 1);
        QCOMPARE(f.window->geometry(), before);
        QVERIFY(f.window->isVisible());
    }
    f.window->close();
    QCOMPARE(value(f, "RGB Tintora", "Left"), QStringLiteral("1500"));
    QCOMPARE(value(f, "RGB Tintora", "Top"), QStringLiteral("750"));
}

void tst_Lifecycle::editColor_data()
{
    QTest::addColumn<bool>("byDoubleClick");
    QTest::addColumn<bool>("accept");
    QTest::newRow("button, OK") << false << true;
    QTest::newRow("button, Cancel") << false << false;
    QTest::newRow("double-click, OK") << true << true;
    QTest::newRow("double-click, Cancel") << true << false;
}

void tst_Lifecycle::editColor()
{
    QFETCH(bool, byDoubleClick);
    QFETCH(bool, accept);
    WindowFixture f;
    QVERIFY(f.start());
    f.window->form().ApplyColor(10, 20, 30);
    f.control<QLineEdit>("ediSwatch0")->setFocus();

    QColor offered;
    bool opened = false;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QColorDialog *>(modal);
        if (!dialog)
            return;
        opened = true;
        offered = dialog->currentColor();
        dialog->setCurrentColor(QColor(200, 100, 50));
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
    if (byDoubleClick)
        QTest::mouseDClick(f.control<QLabel>("cpRGB"), Qt::LeftButton);
    else
        QTest::mouseClick(f.control<QPushButton>("cmdEditColor"), Qt::LeftButton);

    QVERIFY(opened);
    QCOMPARE(offered, QColor(10, 20, 30));
    const QColor expected = accept ? QColor(200, 100, 50) : QColor(10, 20, 30);
    QCOMPARE(f.control<QScrollBar>("hsbColor0")->value(), expected.red());
    QCOMPARE(f.control<QLineEdit>("ediColor1")->text(), QString::number(expected.green()));
    QCOMPARE(f.control<QLabel>("cpRGB")->palette().color(QPalette::Window), expected);
    QCOMPARE(f.control<QLabel>("txtRGB")->text(),
             QStringLiteral("RGB(%1, %2, %3)")
                 .arg(expected.red()).arg(expected.green()).arg(expected.blue()));
    QTRY_VERIFY(f.window->focusWidget());
    QCOMPARE(f.window->focusWidget()->objectName(), QStringLiteral("hsbColor0"));
}

void tst_Lifecycle::aboutBox_data()
{
    QTest::addColumn<int>("closingKey");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void tst_Lifecycle::aboutBox()
{
    QFETCH(int, closingKey);
    WindowFixture f;
    QVERIFY(f.start());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();

    for (int round = 0; round < 2; ++round) {
        f.control<QLineEdit>("ediSwatch0")->setFocus();
        QString title, focused, clipped, heading, version, contact;
        QPoint centreOffset;
        bool mainIgnoresKeys = false;
        whenModal([&](QWidget *modal) {
            title = modal->windowTitle();
            heading = modal->findChild<QLabel *>(QStringLiteral("Label10"))->text();
            version = modal->findChild<QLabel *>(QStringLiteral("Label12"))->text();
            contact = modal->findChild<QLabel *>(QStringLiteral("Label13"))->text();
            clipped = captionsThatDoNotFit(modal);
            QWidget *button = modal->focusWidget();
            focused = button ? button->objectName() : QString();
            const QRect frame = modal->frameGeometry();
            centreOffset = frame.center() - screen.center();
            // Keys sent to the main window while the box is open do nothing.
            QTest::keyClick(f.window.get(), Qt::Key_R, Qt::AltModifier);
            QTest::qWait(150);
            mainIgnoresKeys = QApplication::activeModalWidget() == modal;
            QTest::keyClick(button ? button : modal, Qt::Key(closingKey));
        });
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        QTest::mouseClick(f.control<QPushButton>("cmdAbout"), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("About RGB Tintora"));
        // This build's name and the version --version gives; a contact only where one is set.
        QCOMPARE(heading, QStringLiteral("RGB Tintora"));
        QCOMPARE(QStringLiteral("hueloft ") + version.mid(8) + u'\n', QString::fromStdString(versionText()));
        QVERIFY(version.startsWith(QLatin1String("Version ")));
        QCOMPARE(contact, QStringLiteral(HUELOFT_OWNER_CONTACT));
        QVERIFY2(!contact.contains(QLatin1String("whoever")), qPrintable(contact));
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped));
        QCOMPARE(focused, QStringLiteral("cmdOK"));
        QVERIFY2(qAbs(centreOffset.x()) <= 1 && qAbs(centreOffset.y()) <= 1,
                 qPrintable(QStringLiteral("off centre by %1,%2").arg(centreOffset.x()).arg(centreOffset.y())));
        QVERIFY(mainIgnoresKeys);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QVERIFY(!QApplication::activeModalWidget());
        QTRY_VERIFY(f.window->focusWidget());
        QCOMPARE(f.window->focusWidget()->objectName(), QStringLiteral("hsbColor0"));
    }
}

void tst_Lifecycle::otherKeysAndSectionsSurvive()
{
    const QByteArray before = "; my notes\n[Other]\nkeep=this\n[RGB Color]\nRed=5\nExtra=1\n";
    WindowFixture f;
    QVERIFY(f.start(before));
    f.window->close();
    const QByteArray after = fileBytes(f);
    QVERIFY(after.startsWith("; my notes\n[Other]\nkeep=this\n[RGB Color]\nRed=5\n"));
    QVERIFY(after.contains("Extra=1\n"));
    QCOMPARE(value(f, "Custom Colors", "RGB_Color_0"), QStringLiteral("0"));
}

// A problem with the settings or the library is shown in a box of the window's own, in the
// words of standard error: one at start once the window is up and without holding it up, one
// at exit before the process ends. Nothing when all is well.
void tst_Lifecycle::problemBoxes_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("atStart"); // how the box shown at start begins
    QTest::addColumn<QString>("atExit");  // how the box shown at exit begins

    QTest::newRow("all well") << "none" << QString() << QString();
    QTest::newRow("a FIFO under the file's name")
        << "fifo" << "hueloft: settings and custom colours neither read nor saved: %1: "
        << QString();
    QTest::newRow("no swatchy") << "no library" << "hueloft: cannot load swatchy: " << QString();
    QTest::newRow("the file grew too large")
        << "huge at exit" << QString() << "hueloft: settings and custom colours not saved: %1: ";
}

void tst_Lifecycle::problemBoxes()
{
    QFETCH(QString, cause);
    QFETCH(QString, atStart);
    QFETCH(QString, atExit);

    WindowFixture f;
    QVERIFY(f.folder.isValid());
    const QString path = f.settingsPath();
    if (cause == QLatin1String("fifo"))
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    QTemporaryDir empty;
    if (cause == QLatin1String("no library"))
        f.libraryFolder = QFile::encodeName(empty.path()).toStdString();
    QVERIFY(f.start());
    auto boxes = [&f] {
        QStringList texts;
        for (QMessageBox *box : f.window->findChildren<QMessageBox *>()) {
            if (box->isVisible())
                texts << box->text();
        }
        return texts;
    };
    if (!atStart.isEmpty())
        QTRY_COMPARE(boxes().size(), 1);
    else
        QTest::qWait(100);
    const QStringList started = boxes();
    QCOMPARE(started.size(), atStart.isEmpty() ? 0 : 1);
    if (!atStart.isEmpty()) {
        QVERIFY2(started.first().startsWith(QString(atStart).replace(QLatin1String("%1"), path)), qPrintable(started.first()));
        // The window goes on working beside the box.
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(f.window->findChild<QMessageBox *>()->windowTitle(),
                 QStringLiteral("RGB Tintora - Warning"));
    }
    if (cause == QLatin1String("no library")) {
        // Told once: Edit color, which needs the library, says nothing more.
        f.window->form().cmdEditColor_Click();
        QTest::qWait(50);
        QCOMPARE(boxes().size(), 1);
    }
    if (cause == QLatin1String("huge at exit")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(65) << 20));
    }
    QStringList atClose;
    bool closeReturned = false;
    QTimer::singleShot(0, [&] {
        for (int i = 0; i < 200 && !closeReturned; ++i) {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                atClose << box->text();
                box->accept();
            }
            QTest::qWait(10);
        }
    });
    f.window->close();
    // The box was up while the window was closing: close() returns only once it is read.
    const QStringList readBeforeReturn = atClose;
    closeReturned = true;
    QTest::qWait(30);
    QCOMPARE(atClose.size(), atExit.isEmpty() ? 0 : 1);
    QCOMPARE(readBeforeReturn, atClose);
    if (!atExit.isEmpty())
        QVERIFY2(atClose.first().startsWith(QString(atExit).replace(QLatin1String("%1"), path)), qPrintable(atClose.first()));
}

QTEST_MAIN(tst_Lifecycle)
#include "tst_lifecycle.moc"
