// SPDX-License-Identifier: MIT
// The colour dialog of the library swatchy, driven as a person drives it: the colour it opens
// with, what OK, Cancel, Escape and closing return, the custom colours it shows and edits, and
// that it leaves no file behind. The built library is loaded by path, as the editor loads it.

#include "swatchyexports.h"

#include "platform/profile.h"

#include "swatchy/swatchy.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibrary>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <array>
#include <cstdio>
#include <functional>

namespace {

QColor colorOf(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// Runs action on the colour dialog as soon as it is up, from inside its modal loop.
void whenDialogOpens(std::function<void(QColorDialog *)> action, int attemptsLeft = 500)
{
    QTimer::singleShot(attemptsLeft == 500 ? 0 : 10, [action, attemptsLeft] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible())
            action(dialog);
        else if (attemptsLeft > 0)
            whenDialogOpens(action, attemptsLeft - 1);
    });
}

// EnterIn...: Enter with the focus in one of the dialog's hue, saturation or value boxes, as
// after moving there with Tab: the box commits what it shows, then OK takes the colour.
enum class CloseBy { Ok, CancelButton, Escape, CloseWindow, EnterInHue, EnterInSat, EnterInVal };

// One of the dialog's number boxes, by its label.
QWidget *boxLabelled(QColorDialog *dialog, const QString &caption)
{
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->text() == caption)
            return label->buddy();
    }
    return nullptr;
}

void closeDialog(QColorDialog *dialog, CloseBy how)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    switch (how) {
    case CloseBy::Ok:
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        break;
    case CloseBy::CancelButton:
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        break;
    case CloseBy::Escape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case CloseBy::CloseWindow:
        dialog->close();
        break;
    case CloseBy::EnterInHue:
    case CloseBy::EnterInSat:
    case CloseBy::EnterInVal: {
        const char *caption = how == CloseBy::EnterInHue   ? "Hu&e:"
                              : how == CloseBy::EnterInSat ? "&Sat:"
                                                           : "&Val:";
        QWidget *box = boxLabelled(dialog, QColorDialog::tr(caption));
        QVERIFY(box);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        break;
    }
    }
}

// Makes a custom colour as a person does: picks the custom well's cell, mixes the colour,
// presses "Add to Custom Colors". The wells are Qt's own widgets; the custom one is the one
// with two rows, its cells counted down each column first.
void addCustomColor(QColorDialog *dialog, int index, const QColor &color)
{
    QWidget *custom = nullptr;
    for (QWidget *child : dialog->findChildren<QWidget *>()) {
        if (QByteArray(child->metaObject()->className()).endsWith("QWellArray") &&
            (!custom || child->sizeHint().height() < custom->sizeHint().height()))
            custom = child;
    }
    QPushButton *add = nullptr;
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text().contains(QLatin1String("Custom")))
            add = button;
    }
    if (!custom || !add)
        return;
    const QSize cell(custom->sizeHint().width() / 8, custom->sizeHint().height() / 2);
    const QPoint centre((index / 2) * cell.width() + cell.width() / 2,
                        (index % 2) * cell.height() + cell.height() / 2);
    QTest::mouseClick(custom, Qt::LeftButton, {}, centre);
    dialog->setCurrentColor(color);
    QTest::mouseClick(add, Qt::LeftButton);
}

QByteArray customSection(const std::array<qint32, 16> &values)
{
    QByteArray text = "[Custom Colors]\n";
    for (int i = 0; i < 16; ++i)
        text += "RGB_Color_" + QByteArray::number(i) + '=' + QByteArray::number(values[i]) + '\n';
    return text;
}

// Files and folders below path, hidden ones included.
QStringList everythingBelow(const QString &path)
{
    QStringList found;
    const QDir dir(path);
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QString &entry : dir.entryList(filter)) {
        found << entry;
        for (const QString &inner : everythingBelow(dir.filePath(entry)))
            found << entry + QLatin1Char('/') + inner;
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(CloseBy)

class tst_SwatchyDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void result_data();
    void result();
    void owner_data();
    void owner();
    void ownerNotOfThisProcess_data();
    void ownerNotOfThisProcess();
    void ownerWithoutWidget();
    void customColors_data();
    void customColors();
    void twoCallsInARow();
    void leavesNoFileBehind();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    Swatchy m_swatchy;
    QTemporaryDir m_dir;
};

void tst_SwatchyDialog::initTestCase()
{
    QVERIFY(m_swatchy.open());
    QVERIFY(m_dir.isValid());
}

void tst_SwatchyDialog::result_data()
{
    QTest::addColumn<uint>("initial");
    QTest::addColumn<QColor>("chosen"); // invalid: left as it opened
    QTest::addColumn<CloseBy>("closeBy");
    QTest::addColumn<uint>("expected");

    QTest::newRow("OK, new colour")
        << 0x000000FFu << QColor(0x12, 0x34, 0x56) << CloseBy::Ok << 0x00563412u;
    QTest::newRow("OK, colour as opened") << 0x00563412u << QColor() << CloseBy::Ok << 0x00563412u;
    QTest::newRow("OK, black") << 0x00FFFFFFu << QColor(Qt::black) << CloseBy::Ok << 0u;
    QTest::newRow("OK drops bits above the colour")
        << 0xFF123456u << QColor() << CloseBy::Ok << 0x00123456u;
    QTest::newRow("Cancel keeps every bit")
        << 0xFF123456u << QColor(Qt::white) << CloseBy::CancelButton << 0xFF123456u;
    QTest::newRow("Escape") << 0x80FFFFFFu << QColor(Qt::black) << CloseBy::Escape << 0x80FFFFFFu;
    QTest::newRow("window closed")
        << 0x00ABCDEFu << QColor(Qt::red) << CloseBy::CloseWindow << 0x00ABCDEFu;
    QTest::newRow("Cancel from black") << 0u << QColor(Qt::white) << CloseBy::CancelButton << 0u;
    // A colour picked or typed is the one given back, though the hue, saturation and value
    // boxes show it in whole numbers that make another colour.
    QTest::newRow("Enter in hue") << 0u << QColor(128, 51, 255) << CloseBy::EnterInHue
                                  << 0x00FF3380u;
    QTest::newRow("Enter in saturation") << 0u << QColor(128, 51, 255) << CloseBy::EnterInSat
                                         << 0x00FF3380u;
    QTest::newRow("Enter in value") << 0u << QColor(10, 200, 99) << CloseBy::EnterInVal
                                    << 0x0063C80Au;
    QTest::newRow("Enter in hue, as opened") << 0x00FF3380u << QColor() << CloseBy::EnterInHue
                                             << 0x00FF3380u;
}

void tst_SwatchyDialog::result()
{
    QFETCH(uint, initial);
    QFETCH(QColor, chosen);
    QFETCH(CloseBy, closeBy);
    QFETCH(uint, expected);

    QColor openedWith;
    whenDialogOpens([&](QColorDialog *dialog) {
        openedWith = dialog->currentColor();
        if (chosen.isValid())
            dialog->setCurrentColor(chosen);
        closeDialog(dialog, closeBy);
    });
    const std::uint32_t result = m_swatchy.show(initial, 0);

    QCOMPARE(openedWith, colorOf(initial));
    QCOMPARE(result, std::uint32_t(expected));
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_SwatchyDialog::owner_data()
{
    QTest::addColumn<bool>("knownOwner");
    QTest::addColumn<quintptr>("unknownId");
    QTest::newRow("main window") << true << quintptr(0);
    QTest::newRow("no window") << false << quintptr(0);
}

void tst_SwatchyDialog::owner()
{
    QFETCH(bool, knownOwner);
    QFETCH(quintptr, unknownId);

    QWidget mainWindow;
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    const std::uintptr_t id = knownOwner ? std::uintptr_t(mainWindow.winId()) : unknownId;

    QWidget *parent = &mainWindow;
    Qt::WindowModality modality = Qt::NonModal;
    bool native = true;
    int spinBoxes = 0;
    bool okAndCancel = false;
    whenDialogOpens([&](QColorDialog *dialog) {
        parent = dialog->parentWidget();
        modality = dialog->windowModality();
        native = !dialog->testOption(QColorDialog::DontUseNativeDialog);
        // Hue, saturation and value; red, green and blue.
        for (const QSpinBox *box : dialog->findChildren<QSpinBox *>())
            spinBoxes += box->isVisible() ? 1 : 0;
        const auto *buttons = dialog->findChild<QDialogButtonBox *>();
        okAndCancel = buttons && buttons->button(QDialogButtonBox::Ok) &&
                      buttons->button(QDialogButtonBox::Cancel) && buttons->isVisible();
        closeDialog(dialog, CloseBy::Escape);
    });
    QCOMPARE(m_swatchy.show(0x00336699, id), std::uint32_t(0x00336699));

    QCOMPARE(parent, knownOwner ? &mainWindow : nullptr);
    QCOMPARE(modality, knownOwner ? Qt::WindowModal : Qt::ApplicationModal);
    QVERIFY(!native);
    QCOMPARE(spinBoxes, 6);
    QVERIFY(okAndCancel);
}

// A stale or foreign window id must not give a dialog modal to nothing the caller meant; it
// opens none and answers like a dialog that failed.
void tst_SwatchyDialog::ownerNotOfThisProcess_data()
{
    QTest::addColumn<bool>("windowThatIsGone");
    QTest::addColumn<quintptr>("id");
    QTest::addColumn<uint>("color");
    QTest::newRow("id of no window") << false << quintptr(0x7ffe1234) << 0x00336699u;
    QTest::newRow("high byte kept") << false << quintptr(0x7ffe1234) << 0xFF336699u;
    QTest::newRow("all bits of the id set") << false << ~quintptr(0) << 0x00FFFFFFu;
    QTest::newRow("window that is gone") << true << quintptr(0) << 0x80010203u;
}

void tst_SwatchyDialog::ownerNotOfThisProcess()
{
    QFETCH(bool, windowThatIsGone);
    QFETCH(quintptr, id);
    QFETCH(uint, color);

    if (windowThatIsGone) {
        auto *gone = new QWidget;
        gone->show();
        QVERIFY(QTest::qWaitForWindowExposed(gone));
        id = gone->winId();
        delete gone;
    }
    // Closes whatever dialog might open, so that a fault shows as a failure, not a hang.
    int opened = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&opened] {
        if (auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
            ++opened;
            closeDialog(dialog, CloseBy::Escape);
        }
    });
    watch.start(10);
    const std::uint32_t result = m_swatchy.show(color, id);
    watch.stop();

    QCOMPARE(opened, 0);
    QCOMPARE(result, std::uint32_t(color));
}

// A window of this process that is no widget (Qt Quick, a plain QWindow) is an owner all the
// same: the dialog opens and stays above it.
void tst_SwatchyDialog::ownerWithoutWidget()
{
    QWindow window;
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QWindow *transientParent = nullptr;
    whenDialogOpens([&](QColorDialog *dialog) {
        transientParent = dialog->windowHandle()->transientParent();
        closeDialog(dialog, CloseBy::Escape);
    });
    QCOMPARE(m_swatchy.show(0x00445566, std::uintptr_t(window.winId())), std::uint32_t(0x00445566));
    QCOMPARE(transientParent, &window);
}

void tst_SwatchyDialog::customColors_data()
{
    QTest::addColumn<CloseBy>("closeBy");
    QTest::newRow("OK") << CloseBy::Ok;
    QTest::newRow("Cancel") << CloseBy::CancelButton;
    QTest::newRow("window closed") << CloseBy::CloseWindow;
}

void tst_SwatchyDialog::customColors()
{
    QFETCH(CloseBy, closeBy);

    // Entry 5 holds bits that no colour shows; the dialog leaves it alone, so must the store.
    std::array<qint32, 16> values = {255,    65280,   16711680, 0,       16777215, -15584170,
                                     1,      256,     65536,    8421504, 1193046,  11259375,
                                     328965, 6579300, 12632256, 9474192};
    const QString source = path(QStringLiteral("custom.ini"));
    writeFile(source, customSection(values));
    m_swatchy.loadFrom(source);

    std::array<QColor, 16> shown;
    const QColor added(10, 20, 30);
    whenDialogOpens([&](QColorDialog *dialog) {
        for (int i = 0; i < 16; ++i)
            shown[i] = QColorDialog::customColor(i);
        addCustomColor(dialog, 3, added);
        closeDialog(dialog, closeBy);
    });
    m_swatchy.show(0x00808080, 0);

    for (int i = 0; i < 16; ++i)
        QCOMPARE(shown[i], colorOf(std::uint32_t(values[i])));

    const QString saved = path(QStringLiteral("custom-saved.ini"));
    QFile::remove(saved);
    m_swatchy.saveTo(saved);
    // The save is held by the profile layer until a flush, as the editor's exit makes one.
    platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
    values[3] = 0x001E140A;
    QCOMPARE(readFile(saved), customSection(values));

    // A second copy of the program saved another colour into the same file meanwhile: each
    // keeps the colour it changed.
    std::array<qint32, 16> other = values;
    other[3] = 255;
    other[7] = 0x00332211;
    writeFile(source, customSection(other));
    m_swatchy.saveTo(source);
    platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
    values[7] = 0x00332211;
    QCOMPARE(readFile(source), customSection(values));
}

void tst_SwatchyDialog::twoCallsInARow()
{
    m_swatchy.loadFrom(path(QStringLiteral("no-such-file.ini")));

    const QColor added(0x40, 0x80, 0xC0);
    whenDialogOpens([&](QColorDialog *dialog) {
        addCustomColor(dialog, 0, added);
        dialog->setCurrentColor(QColor(1, 2, 3));
        closeDialog(dialog, CloseBy::Ok);
    });
    QCOMPARE(m_swatchy.show(0x00FF0000, 0), std::uint32_t(0x00030201));

    QColor openedWith;
    QColor customZero;
    QColor customOne;
    whenDialogOpens([&](QColorDialog *dialog) {
        openedWith = dialog->currentColor();
        customZero = QColorDialog::customColor(0);
        customOne = QColorDialog::customColor(1);
        closeDialog(dialog, CloseBy::Escape);
    });
    QCOMPARE(m_swatchy.show(0x0000FF00, 0), std::uint32_t(0x0000FF00));
    QCOMPARE(openedWith, QColor(Qt::green));
    QCOMPARE(customZero, added);
    QCOMPARE(customOne, QColor(Qt::black));
}

void tst_SwatchyDialog::leavesNoFileBehind()
{
    // Qt's colour dialog keeps its custom colours in the user's configuration folder and
    // writes them there when a dialog goes, or may do so when the application ends: only a
    // whole process shows everything it leaves behind.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString settings = path(QStringLiteral("home-test.ini"));
    writeFile(settings, "[RGB Color]\nRed=1\n");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QStringLiteral("empty-home"), settings});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray output = child.readAllStandardOutput() + child.readAllStandardError();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             output.constData());

    QCOMPARE(everythingBelow(home.path()), QStringList());
    // The dialogs did change the custom colours, and they went to the settings file only.
    const QByteArray written = readFile(settings);
    QVERIFY2(written.contains("RGB_Color_0=3158064\n"), written.constData());
    QVERIFY2(written.contains("RGB_Color_1=7368816\n"), written.constData());
    QVERIFY2(written.contains("RGB_Color_2=5263440\n"), written.constData());
    QVERIFY(written.startsWith("[RGB Color]\nRed=1\n[Custom Colors]\n"));
}

// The process of leavesNoFileBehind: three dialogs that change the custom colours, closed with
// OK, with Cancel and by the end of their owner, between loading and saving the colours; then
// the application ends.
static int runEmptyHome(int argc, char *argv[])
{
    const QString settings = QString::fromLocal8Bit(argv[3]);
    {
        QApplication app(argc, argv);
        Swatchy swatchy;
        if (!swatchy.open())
            return 2;
        swatchy.loadFrom(settings);
        whenDialogOpens([](QColorDialog *dialog) {
            addCustomColor(dialog, 0, QColor(0x30, 0x30, 0x30));
            closeDialog(dialog, CloseBy::Ok);
        });
        swatchy.show(0x00FFFFFF, 0);
        whenDialogOpens([](QColorDialog *dialog) {
            addCustomColor(dialog, 1, QColor(0x70, 0x70, 0x70));
            closeDialog(dialog, CloseBy::Escape);
        });
        swatchy.show(0x00FFFFFF, 0);
        // The owner goes while its dialog is open, and takes the dialog with it.
        auto *owner = new QWidget;
        owner->show();
        whenDialogOpens([owner](QColorDialog *dialog) {
            addCustomColor(dialog, 2, QColor(0x50, 0x50, 0x50));
            delete owner;
        });
        const std::uint32_t result = swatchy.show(0x80112233, std::uintptr_t(owner->winId()));
        if (result != 0x80112233) {
            std::fprintf(stderr, "dialog without its owner returned %08x\n", unsigned(result));
            return 4;
        }
        swatchy.saveTo(settings);
    }
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0 && qstrcmp(argv[2], "empty-home") == 0)
        return runEmptyHome(argc, argv);
    QApplication app(argc, argv);
    tst_SwatchyDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_swatchydialog.moc"
