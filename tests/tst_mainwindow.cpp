// SPDX-License-Identifier: MIT
// The main window driven as a person uses it: keys, clicks, access keys and focus.

#include "windowfixture.h"

#include "editor/qt/aboutdialog.h"
#include "editor/qt/captionlabel.h"
#include "editor/qt/numberbox.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>

#include "captionsfit.h"

class tst_MainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void window();
    void controls_data();
    void controls();
    void captionsFit_data();
    void captionsFit();
    void firstRunDefaults();
    void keyboardOrder();
    void keyboardOrderFollowsSelectedNotation();
    void accessKeysMoveFocus_data();
    void accessKeysMoveFocus();
    void accessKeysSelectNotation_data();
    void accessKeysSelectNotation();
    void arrowKeysSelectNotation_data();
    void arrowKeysSelectNotation();
    void typing_data();
    void typing();
    void typedLengthLimit();
    void numberBoxesShowWholeValues_data();
    void numberBoxesShowWholeValues();
    void textsOfARowOnOneBaseline_data();
    void textsOfARowOnOneBaseline();
    void textsReadableInThePalette_data();
    void textsReadableInThePalette();
    void committingUnchangedValueRefreshesNothing();
    void losingFocusCommits();
    void controlCharactersAreDiscarded_data();
    void controlCharactersAreDiscarded();
    void pastedText_data();
    void pastedText();
    void scrollBarKeys_data();
    void scrollBarKeys();
    void dragRefreshesAtEveryThumbPosition();
    void applyColor_data();
    void applyColor();
    void notationChangesOnlyHexaText();
    void enterAndEscapePressNoButton();
    void enterPressesFocusedButton_data();
    void enterPressesFocusedButton();
    void accessibleNames_data();
    void accessibleNames();
    void sampleDescriptionFollowsColor();
    void focusIsShown_data();
    void focusIsShown();
    void optionsInsideTheirFrame();

private:
    void expectColor(int red, int green, int blue);
    WindowFixture *f = nullptr;
};

void tst_MainWindow::init()
{
    f = new WindowFixture;
    QVERIFY(f->start());
    f->control<QScrollBar>("hsbColor0")->setFocus();
}

void tst_MainWindow::cleanup()
{
    delete f;
    f = nullptr;
}

// What a person sees for a colour: the scroll bars, the boxes, the sample and both texts.
void tst_MainWindow::expectColor(int red, int green, int blue)
{
    const int channels[3] = {red, green, blue};
    const char *bars[3] = {"hsbColor0", "hsbColor1", "hsbColor2"};
    const char *boxes[3] = {"ediColor0", "ediColor1", "ediColor2"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(f->control<QScrollBar>(bars[i])->value(), channels[i]);
        QCOMPARE(f->control<QLineEdit>(boxes[i])->text(), QString::number(channels[i]));
    }
    const QColor sample = f->control<QLabel>("cpRGB")->palette().color(QPalette::Window);
    QCOMPARE(sample, QColor(red, green, blue));
    QCOMPARE(f->control<QLabel>("txtRGB")->text(),
             QStringLiteral("RGB(%1, %2, %3)").arg(red).arg(green).arg(blue));
}

void tst_MainWindow::window()
{
    MainWindow *w = f->window.get();
    QCOMPARE(w->windowTitle(), QStringLiteral("RGB Tintora"));
    QCOMPARE(w->size(), QSize(363, 441));
    QCOMPARE(w->minimumSize(), w->maximumSize()); // the user cannot resize it
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!w->windowIcon().isNull());
    QCOMPARE(w->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    QVERIFY(!f->control<QWidget>("pctRGB")->isVisible());
    for (QPushButton *button : w->findChildren<QPushButton *>()) {
        QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->objectName()));
    }
}

void tst_MainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    // Positions in pixels at the design font: the twips of the layout at 1/15 pixel each, times
    // the 1.25 at which four digits of a stored size and the caret fit a size box; a sample of
    // each kind.
    QTest::newRow("sample") << "cpRGB" << "frmMain" << QRect(10, 10, 342, 61) << "";
    QTest::newRow("hexa text") << "txtHexa" << "frmMain" << QRect(200, 80, 152, 16)
                               << "0x00000000";
    QTest::newRow("blue bar") << "hsbColor2" << "frmMain" << QRect(50, 190, 262, 22) << "";
    QTest::newRow("red box") << "ediColor0" << "frmMain" << QRect(321, 110, 31, 24) << "";
    QTest::newRow("copy sample") << "cmdCopySample" << "frmMain" << QRect(10, 361, 131, 31)
                                 << "Copy Color &Sample";
    QTest::newRow("notation frame") << "Frame1" << "frmMain" << QRect(160, 220, 192, 72)
                                    << "Hexa format";
    QTest::newRow("basic") << "optLang2" << "Frame1" << QRect(110, 20, 72, 17) << "&Basic";
    // A caption label reaches to the box beside it, and stands on the baseline of its digits.
    QTest::newRow("height label") << "txtSwitch1" << "Frame2" << QRect(100, 32, 50, 21)
                                  << "&Height";
    QTest::newRow("height box") << "ediSwatch1" << "Frame2" << QRect(150, 26, 32, 23) << "";
    QTest::newRow("on top") << "chkTop" << "frmMain" << QRect(160, 371, 132, 21)
                            << "Always On &Top";
    QTest::newRow("exit") << "cmdExit" << "frmMain" << QRect(260, 401, 92, 31) << "E&xit";
}

void tst_MainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QWidget *control = f->control<QWidget>(name.toLatin1().constData());
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->isVisible());
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        QCOMPARE(button->text(), text);
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        QCOMPARE(frame->title(), text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), text);
}

void tst_MainWindow::captionsFit_data()
{
    QTest::addColumn<qreal>("points");
    QTest::addColumn<QString>("styleSheet");
    QTest::addColumn<int>("pixels"); // what the controls must draw with
    QTest::newRow("design font") << 0.0 << QString() << 10;
    QTest::newRow("9 pt") << 9.0 << QString() << 12;
    QTest::newRow("11 pt") << 11.0 << QString() << 15;
    QTest::newRow("14 pt") << 14.0 << QString() << 19;
    QTest::newRow("11 pt style sheet") << 0.0 << "QWidget { font-size: 11pt }" << 15;
    // More than any layout of the screen holds: the window stays within the screen.
    QTest::newRow("100 pt") << 100.0 << QString() << 133;
}

// The window and the About box draw with the font they are given, changed while the window is
// open as a desktop's settings change it, and grow as a whole until the widest texts the
// program shows fit: at the design font, the layout grown until four digits fit a size box.
void tst_MainWindow::captionsFit()
{
    QFETCH(qreal, points);
    QFETCH(QString, styleSheet);
    QFETCH(int, pixels);
    MainWindow *w = f->window.get();
    if (points > 0) {
        QFont font = QApplication::font();
        font.setPointSizeF(points);
        QApplication::setFont(font);
    }
    if (!styleSheet.isEmpty())
        qApp->setStyleSheet(styleSheet);
    // The new font reaches the window as a posted event, which posts the new layout.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    w->form().ApplyColor(255, 255, 255);
    QTest::mouseClick(f->control<QRadioButton>("optLang2"), Qt::LeftButton);
    for (auto *box : w->findChildren<NumberBox *>())
        box->showText(box->objectName().startsWith(u"ediSwatch") ? QStringLiteral("1000")
                                                                  : QStringLiteral("255"));

    AboutDialog about(w);
    about.show();
    const QSize screen = w->screen()->availableGeometry().size();
    for (QWidget *window : {static_cast<QWidget *>(w), static_cast<QWidget *>(&about)}) {
        QVERIFY(window->frameGeometry().width() <= screen.width());
        QVERIFY(window->frameGeometry().height() <= screen.height());
        const QString problems = captionsThatDoNotFit(window);
        QVERIFY2(problems.isEmpty() || points >= 100, qPrintable(problems));
        for (auto *button : window->findChildren<QAbstractButton *>())
            QCOMPARE(QFontInfo(button->font()).pixelSize(), pixels);
    }
    // Positions and sizes grow together.
    const QSize size = w->size();
    if (pixels == 10)
        QCOMPARE(size, QSize(363, 441));
    QVERIFY2(size.width() >= 290 && qAbs(size.width() * 352 - size.height() * 290) <= 352,
             qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
    const QWidget *exit = f->control<QWidget>("cmdExit");
    QVERIFY(qAbs((exit->geometry().right() + 1) * 4350 - size.width() * 4215) <= 4350);
    QVERIFY(qAbs(about.width() * 2610 - about.height() * 4950) <= 4950);
}

void tst_MainWindow::firstRunDefaults()
{
    expectColor(0, 0, 0);
    QCOMPARE(f->control<QLabel>("txtHexa")->text(), QStringLiteral("0x00000000"));
    QCOMPARE(f->control<QLineEdit>("ediSwatch0")->text(), QStringLiteral("32"));
    QCOMPARE(f->control<QLineEdit>("ediSwatch1")->text(), QStringLiteral("32"));
    QVERIFY(f->control<QRadioButton>("optLang0")->isChecked());
    QVERIFY(!f->control<QCheckBox>("chkTop")->isChecked());
    QCOMPARE(f->window->form().HexaType, 0);
    QCOMPARE(f->window->form().TopMost, 0);
    // The channel chips show pure red, green and blue.
    QCOMPARE(f->control<QLabel>("cpColor0")->palette().color(QPalette::Window), QColor(Qt::red));
    QCOMPARE(f->control<QLabel>("cpColor1")->palette().color(QPalette::Window), QColor(Qt::green));
    QCOMPARE(f->control<QLabel>("cpColor2")->palette().color(QPalette::Window), QColor(Qt::blue));
}

void tst_MainWindow::keyboardOrder()
{
    const QStringList stops = {"hsbColor0",   "hsbColor1",   "hsbColor2",     "ediColor0",
                               "ediColor1",   "ediColor2",   "cmdCopyRGB",    "cmdCopyHexa",
                               "cmdCopyHTML", "cmdCopySample", "cmdEditColor", "cmdAbout",
                               "cmdExit",     "optLang0",    "ediSwatch0",    "ediSwatch1",
                               "chkTop"};
    QCOMPARE(QApplication::focusWidget()->objectName(), stops.first());
    for (qsizetype i = 1; i <= stops.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), stops[i % stops.size()]);
    }
    // Shift+Tab walks back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), stops.last());
}

void tst_MainWindow::keyboardOrderFollowsSelectedNotation()
{
    QTest::mouseClick(f->control<QRadioButton>("optLang3"), Qt::LeftButton);
    f->control<QPushButton>("cmdExit")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("optLang3"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("ediSwatch0"));
}

void tst_MainWindow::accessKeysMoveFocus_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focused");
    QTest::newRow("Alt+W") << int(Qt::Key_W) << "ediSwatch0";
    QTest::newRow("Alt+H") << int(Qt::Key_H) << "ediSwatch1";
}

void tst_MainWindow::accessKeysMoveFocus()
{
    QFETCH(int, key);
    QFETCH(QString, focused);
    // From a channel box too: the access key is not typed into it.
    f->control<QLineEdit>("ediColor1")->setFocus();
    QTest::keyClick(f->window.get(), Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), focused);
    QCOMPARE(f->control<QLineEdit>("ediColor1")->text(), QStringLiteral("0"));
}

void tst_MainWindow::accessKeysSelectNotation_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("notation");
    QTest::addColumn<QString>("hexa");
    QTest::newRow("Alt+P") << int(Qt::Key_P) << 1 << "$000080FF";
    QTest::newRow("Alt+B") << int(Qt::Key_B) << 2 << "&H000080FF&";
    QTest::newRow("Alt+A") << int(Qt::Key_A) << 3 << "000080FFH";
}

void tst_MainWindow::accessKeysSelectNotation()
{
    QFETCH(int, key);
    QFETCH(int, notation);
    QFETCH(QString, hexa);
    f->window->form().ApplyColor(255, 128, 0);
    QTest::keyClick(f->window.get(), Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(int(f->window->form().HexaType), notation);
    QCOMPARE(f->control<QLabel>("txtHexa")->text(), hexa);
    QTest::keyClick(f->window.get(), Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(int(f->window->form().HexaType), 0);
    QCOMPARE(f->control<QLabel>("txtHexa")->text(), QStringLiteral("0x000080FF"));
    QVERIFY(f->control<QRadioButton>("optLang0")->isChecked());
}

void tst_MainWindow::arrowKeysSelectNotation_data()
{
    // The Windows build's order: the group's keyboard order, C/C++, Pascal, Basic, Asm, round
    // at the ends; Right and Down on, Left and Up back, whatever the places on the screen.
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("hexa");
    QTest::newRow("C/C++ Right") << 0 << int(Qt::Key_Right) << 1 << "$00000000";
    QTest::newRow("C/C++ Down") << 0 << int(Qt::Key_Down) << 1 << "$00000000";
    QTest::newRow("Pascal Right") << 1 << int(Qt::Key_Right) << 2 << "&H00000000&";
    QTest::newRow("Basic Down") << 2 << int(Qt::Key_Down) << 3 << "00000000H";
    QTest::newRow("Asm Right, round") << 3 << int(Qt::Key_Right) << 0 << "0x00000000";
    QTest::newRow("C/C++ Left, round") << 0 << int(Qt::Key_Left) << 3 << "00000000H";
    QTest::newRow("C/C++ Up, round") << 0 << int(Qt::Key_Up) << 3 << "00000000H";
    QTest::newRow("Basic Left") << 2 << int(Qt::Key_Left) << 1 << "$00000000";
    QTest::newRow("Asm Up") << 3 << int(Qt::Key_Up) << 2 << "&H00000000&";
}

void tst_MainWindow::arrowKeysSelectNotation()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    QFETCH(QString, hexa);
    auto *start = f->control<QRadioButton>(QByteArray("optLang") + QByteArray::number(from));
    QTest::mouseClick(start, Qt::LeftButton);
    QTRY_VERIFY(start->hasFocus());
    QTest::keyClick(start, Qt::Key(key));
    auto *target = f->control<QRadioButton>(QByteArray("optLang") + QByteArray::number(to));
    QTRY_VERIFY(target->isChecked());
    QVERIFY(target->hasFocus());
    QCOMPARE(int(f->window->form().HexaType), to);
    QCOMPARE(f->control<QLabel>("txtHexa")->text(), hexa);
}

void tst_MainWindow::typing_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("start");   // the box's text before typing
    QTest::addColumn<QString>("keys");    // "\n" stands for Enter, "\b" for Backspace
    QTest::addColumn<QString>("boxText"); // afterwards
    QTest::addColumn<int>("value");
    QTest::newRow("300 Enter, green") << 1 << "" << "300\n" << "255" << 255;
    QTest::newRow("digits then Enter") << 0 << "" << "128\n" << "128" << 128;
    QTest::newRow("007 normalises") << 2 << "" << "007\n" << "7" << 7;
    QTest::newRow("empty commits 0") << 0 << "" << "\n" << "0" << 0;
    QTest::newRow("letters, signs, blank") << 0 << "" << "a-. 5\n" << "5" << 5;
    QTest::newRow("backspace") << 1 << "" << "129\b\b8\n" << "18" << 18;
    QTest::newRow("before Enter nothing commits") << 2 << "" << "42" << "42" << 0;
    QTest::newRow("fourth digit dropped") << 0 << "" << "2555\n" << "255" << 255;
    QTest::newRow("256 clamps") << 0 << "" << "256\n" << "255" << 255;
}

void tst_MainWindow::typing()
{
    QFETCH(int, channel);
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, boxText);
    QFETCH(int, value);

    auto *box = f->control<QLineEdit>(QStringLiteral("ediColor%1").arg(channel).toLatin1());
    auto *bar = f->control<QScrollBar>(QStringLiteral("hsbColor%1").arg(channel).toLatin1());
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    for (QChar c : keys) {
        if (c == u'\n')
            QTest::keyClick(box, Qt::Key_Return);
        else if (c == u'\b')
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClicks(box, QString(c));
    }
    QCOMPARE(box->text(), boxText);
    QCOMPARE(bar->value(), value);
    QCOMPARE(QApplication::focusWidget(), box); // Enter commits, it does not move on
    if (keys.endsWith(u'\n')) {
        int channels[3] = {0, 0, 0};
        channels[channel] = value;
        expectColor(channels[0], channels[1], channels[2]);
        const quint32 colorValue = channels[0] + 256 * channels[1] + 65536 * channels[2];
        QCOMPARE(f->control<QLabel>("txtHexa")->text(),
                 QStringLiteral("0x%1").arg(colorValue, 8, 16, QLatin1Char('0')).toUpper().replace("0X", "0x"));
    }
}

void tst_MainWindow::typedLengthLimit()
{
    auto *box = f->control<QLineEdit>("ediSwatch0");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "1234");
    QCOMPARE(box->text(), QStringLiteral("123"));
    // With the text selected, typing replaces it.
    box->selectAll();
    QTest::keyClicks(box, "9");
    QCOMPARE(box->text(), QStringLiteral("9"));
}

// The application's font at Points (none: as it is), and the window laid out anew: the font
// reaches it as a posted event, which posts the new layout.
static void useFontSize(qreal points)
{
    if (points <= 0)
        return;
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    QApplication::setFont(font);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Where a box draws its first character: the cursor's place less the text before it. With the
// cursor at the start the box never scrolls, so that is where an unscrolled text begins. The box
// scrolls as it paints.
static int firstCharacterX(QLineEdit *box)
{
    box->repaint();
    const QRect cursor = box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    return cursor.x()
           - box->fontMetrics().horizontalAdvance(box->text().left(box->cursorPosition()));
}

void tst_MainWindow::numberBoxesShowWholeValues_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<qreal>("points"); // 0: the design font
    QTest::addColumn<QString>("stored"); // the size the settings file gives, or none
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fits"); // the whole value and the caret after it
    const char *boxes[] = {"ediColor0", "ediColor1", "ediColor2", "ediSwatch0", "ediSwatch1"};
    for (qreal points : {0.0, 9.0, 14.0}) {
        for (const char *box : boxes)
            QTest::addRow("%s typed full, %g pt", box, points)
                << box << points << QString() << "255" << true;
        for (const char *box : {"ediSwatch0", "ediSwatch1"})
            QTest::addRow("%s stored 1000, %g pt", box, points)
                << box << points << "1000" << QString() << true;
    }
    // Wider than any layout makes a box: shown from its start once the box is left.
    QTest::newRow("ediSwatch0 stored -32768") << "ediSwatch0" << 0.0 << "-32768" << QString()
                                              << false;
}

// A box typed full, or given a stored size, shows its first digit while the caret is after its
// last one and after the focus has left it.
void tst_MainWindow::numberBoxesShowWholeValues()
{
    QFETCH(QString, box);
    QFETCH(qreal, points);
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, fits);
    if (!stored.isEmpty()) {
        delete f;
        f = new WindowFixture;
        QVERIFY(f->start(QStringLiteral("[RGB Sample]\r\nWidth=%1\r\nHeight=%1\r\n")
                             .arg(stored)
                             .toLatin1()));
    }
    useFontSize(points);
    auto *edit = f->control<NumberBox>(box.toLatin1().constData());
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    if (!typed.isEmpty()) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, typed);
    }
    const QString shown = stored.isEmpty() ? typed : stored;
    QCOMPARE(edit->text(), shown);
    edit->home(false);
    const int start = firstCharacterX(edit);
    edit->end(false);
    if (fits)
        QCOMPARE(firstCharacterX(edit), start);
    else
        QVERIFY(firstCharacterX(edit) < start);

    // Another program's window taking the focus for a moment (a Wayland clipboard reader
    // does) leaves the box as it was: what Alt+W selected is still replaced by typing.
    edit->selectAll();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(edit, &away);
    QCOMPARE(edit->selectedText(), shown);

    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(!edit->hasFocus());
    QCOMPARE(edit->text(), shown);
    QCOMPARE(firstCharacterX(edit), start);
}

// Where a text's baseline lies in Window, as its control draws it: a label's line placed in
// its contents by its alignment; a box's line where its cursor stands.
static int baselineIn(QWidget *window, QWidget *control)
{
    const QFontMetrics metrics = control->fontMetrics();
    int top = 0;
    if (auto *box = qobject_cast<QLineEdit *>(control)) {
        box->repaint(); // the box places its line as it paints
        top = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().top();
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        top = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                  QSize(label->contentsRect().width(), metrics.height()),
                                  label->contentsRect())
                  .top();
    }
    return control->mapTo(window, QPoint(0, top)).y() + metrics.ascent();
}

void tst_MainWindow::textsOfARowOnOneBaseline_data()
{
    QTest::addColumn<qreal>("points"); // 0: the design font
    QTest::addColumn<QStringList>("row");
    const QStringList rows[] = {{"txtRGB", "txtHexa"},
                                {"txtSwitch0", "ediSwatch0", "txtSwitch1", "ediSwatch1"}};
    for (qreal points : {0.0, 9.0, 14.0}) {
        QTest::addRow("colour texts, %g pt", points) << points << rows[0];
        QTest::addRow("sample size, %g pt", points) << points << rows[1];
    }
}

// The labels, the digits and the colour texts of one row stand on one line, as the Windows
// build draws them (every text from its control's top); ctest runs this at 1.5 and 2 times
// the screen's scale too.
void tst_MainWindow::textsOfARowOnOneBaseline()
{
    QFETCH(qreal, points);
    QFETCH(QStringList, row);
    useFontSize(points);
    MainWindow *w = f->window.get();
    const int first = baselineIn(w, f->control<QWidget>(row.front().toLatin1().constData()));
    for (const QString &name : row) {
        QWidget *control = f->control<QWidget>(name.toLatin1().constData());
        QVERIFY2(baselineIn(w, control) == first,
                 qPrintable(QStringLiteral("%1 at %2, %3 at %4, scale %5")
                                .arg(name)
                                .arg(baselineIn(w, control))
                                .arg(row.front())
                                .arg(first)
                                .arg(w->devicePixelRatioF())));
    }
}

// The texts of Window's controls that do not stand out from their ground as it is drawn: where
// the text is, fewer pixels far from the colour most of that place has than the text has
// characters. Named with what was found; empty when every text reads.
static QStringList unreadableTexts(QWidget *window)
{
    QStringList unreadable;
    const QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = image.devicePixelRatio();
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (!control->isVisible() || control->window() != window)
            continue; // the About box is the main window's child, not part of its picture
        QString text;
        QRect place = control->rect();
        const int em = control->fontMetrics().height();
        if (auto *label = qobject_cast<QLabel *>(control)) {
            text = label->text();
            place = label->contentsRect();
        } else if (auto *frame = qobject_cast<QGroupBox *>(control)) {
            text = frame->title();
            place = QRect(0, 0, control->width(), em);
        } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            text = button->text();
            if (qobject_cast<QRadioButton *>(control) || qobject_cast<QCheckBox *>(control))
                place.setLeft(control->height()); // the circle or box
            else
                place.adjust(3, 3, -3, -3); // the bevel
        } else if (auto *box = qobject_cast<QLineEdit *>(control)) {
            text = box->text();
            place.adjust(3, 3, -3, -3); // the frame
        }
        text = withoutAccessMarks(text).remove(u' ');
        if (text.isEmpty())
            continue;
        const QRect pixels = QRectF(QPointF(control->mapTo(window, place.topLeft())) * ratio,
                                    QSizeF(place.size()) * ratio)
                                 .toAlignedRect()
                                 .intersected(image.rect());
        QHash<QRgb, int> counts;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y)
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                ++counts[image.pixel(x, y)];
        QRgb ground = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > counts.value(ground))
                ground = it.key();
        int standing = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            const QRgb c = it.key();
            const int distance = qAbs(qRed(c) - qRed(ground)) + qAbs(qGreen(c) - qGreen(ground))
                                 + qAbs(qBlue(c) - qBlue(ground));
            if (distance >= 3 * 64)
                standing += it.value();
        }
        if (standing < text.size())
            unreadable << QStringLiteral("%1 \"%2\" (%3 pixels stand out)")
                              .arg(control->objectName(), text)
                              .arg(standing);
    }
    return unreadable;
}

void tst_MainWindow::textsReadableInThePalette_data()
{
    QTest::addColumn<QColor>("ground");
    QTest::addColumn<QColor>("text");
    QTest::newRow("high contrast, white on black") << QColor(Qt::black) << QColor(Qt::white);
    QTest::newRow("high contrast, black on white") << QColor(Qt::white) << QColor(Qt::black);
    QTest::newRow("dark") << QColor(0x20, 0x20, 0x20) << QColor(0xe0, 0xe0, 0xe0);
}

// A desktop's palette, light or dark, colours every text of both windows on its own ground.
void tst_MainWindow::textsReadableInThePalette()
{
    QFETCH(QColor, ground);
    QFETCH(QColor, text);
    QPalette palette;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, ground);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, text);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
    MainWindow *w = f->window.get();
    w->form().ApplyColor(255, 255, 255);
    AboutDialog about(w);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QStringList problems = unreadableTexts(w) + unreadableTexts(&about);
    QApplication::setPalette(before);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

void tst_MainWindow::committingUnchangedValueRefreshesNothing()
{
    f->window->form().ApplyColor(7, 0, 0);
    auto *box = f->control<QLineEdit>("ediColor0");
    auto *hexa = f->control<CaptionLabel>("txtHexa");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "007");
    QCOMPARE(f->control<QLabel>("txtRGB")->text(), QStringLiteral("RGB(7, 0, 0)"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->text(), QStringLiteral("7"));
    QCOMPARE(hexa->text(), QStringLiteral("0x00000007"));
}

void tst_MainWindow::losingFocusCommits()
{
    f->window->form().ApplyColor(0, 0, 200);
    auto *box = f->control<QLineEdit>("ediColor2");
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->text(), QString());
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdCopyRGB"));
    expectColor(0, 0, 0);

    // A click elsewhere commits as well.
    QTest::keyClicks(f->control<QLineEdit>("ediColor1"), QString());
    auto *green = f->control<QLineEdit>("ediColor1");
    green->setFocus();
    green->selectAll();
    QTest::keyClicks(green, "99");
    QTest::mouseClick(f->control<QLineEdit>("ediSwatch1"), Qt::LeftButton);
    QTRY_COMPARE(f->control<QScrollBar>("hsbColor1")->value(), 99);
}

void tst_MainWindow::controlCharactersAreDiscarded_data()
{
    QTest::addColumn<bool>("asControlCharacter"); // X11 style, or QTest's letter + Control
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+V as letter") << false << int(Qt::Key_V);
    QTest::newRow("Ctrl+V as character 22") << true << int(Qt::Key_V);
    QTest::newRow("Ctrl+C as letter") << false << int(Qt::Key_C);
    QTest::newRow("Ctrl+X as character 24") << true << int(Qt::Key_X);
}

void tst_MainWindow::controlCharactersAreDiscarded()
{
    QFETCH(bool, asControlCharacter);
    QFETCH(int, key);
    QGuiApplication::clipboard()->setText(QStringLiteral("77"));
    auto *box = f->control<QLineEdit>("ediColor0");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "12");
    box->selectAll();
    const QString text = asControlCharacter ? QString(QChar(key - Qt::Key_A + 1))
                                            : QString(QChar(key).toLower());
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier, text);
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::ControlModifier, text);
    QApplication::sendEvent(box, &release);
    QCOMPARE(box->text(), QStringLiteral("12")); // neither pasted, cut, nor typed
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("77"));
}

void tst_MainWindow::pastedText_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("boxAfterPaste");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << "12" << "12" << 12;
    QTest::newRow("minus") << "-5" << "-5" << 0;
    QTest::newRow("fraction") << "1.9" << "1.9" << 1;
    QTest::newRow("blank first") << " 40" << " 40" << 0;
    QTest::newRow("letters") << "abc" << "abc" << 0;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0663\u0664") << QString::fromUtf8("\u0663\u0664") << 0;
    QTest::newRow("too long, cut to fit") << "12345" << "123" << 123;
    QTest::newRow("12abc") << "12abc" << "12a" << 12;
}

void tst_MainWindow::pastedText()
{
    QFETCH(QString, pasted);
    QFETCH(QString, boxAfterPaste);
    QFETCH(int, value);
    f->window->form().ApplyColor(0, 100, 0);
    auto *box = f->control<QLineEdit>("ediColor1");
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(box->text(), boxAfterPaste);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(f->control<QScrollBar>("hsbColor1")->value(), value);
    QCOMPARE(box->text(), QString::number(value));
}

void tst_MainWindow::scrollBarKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("value");
    QTest::newRow("right arrow") << int(Qt::Key_Right) << 11;
    QTest::newRow("left arrow") << int(Qt::Key_Left) << 9;
    QTest::newRow("page down") << int(Qt::Key_PageDown) << 11;
    QTest::newRow("page up") << int(Qt::Key_PageUp) << 9;
    QTest::newRow("end") << int(Qt::Key_End) << 255;
    QTest::newRow("home") << int(Qt::Key_Home) << 0;
}

void tst_MainWindow::scrollBarKeys()
{
    QFETCH(int, key);
    QFETCH(int, value);
    f->window->form().ApplyColor(0, 10, 0);
    auto *bar = f->control<QScrollBar>("hsbColor1");
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key(key));
    expectColor(0, value, 0);
}

void tst_MainWindow::dragRefreshesAtEveryThumbPosition()
{
    auto *bar = f->control<QScrollBar>("hsbColor0");
    bar->setSliderDown(true); // the thumb is held
    for (int position : {1, 2, 100, 254, 255, 3}) {
        bar->setSliderPosition(position);
        expectColor(position, 0, 0);
    }
    bar->setSliderDown(false);
    expectColor(3, 0, 0);
}

void tst_MainWindow::applyColor_data()
{
    QTest::addColumn<qlonglong>("red");
    QTest::addColumn<qlonglong>("green");
    QTest::addColumn<qlonglong>("blue");
    QTest::addColumn<QList<int>>("shown");
    QTest::addColumn<QString>("hexa");
    QTest::newRow("orange") << 255LL << 128LL << 0LL << QList<int>{255, 128, 0} << "0x000080FF";
    QTest::newRow("out of range") << -5LL << 300LL << 4294967296LL << QList<int>{0, 255, 255}
                                  << "0x00FFFF00";
}

void tst_MainWindow::applyColor()
{
    QFETCH(qlonglong, red);
    QFETCH(qlonglong, green);
    QFETCH(qlonglong, blue);
    QFETCH(QList<int>, shown);
    QFETCH(QString, hexa);
    f->window->form().ApplyColor(red, green, blue);
    expectColor(shown[0], shown[1], shown[2]);
    QCOMPARE(f->control<QLabel>("txtHexa")->text(), hexa);
    QCOMPARE(f->window->form().currentColor(),
             quint32(shown[0] + 256 * shown[1] + 65536 * shown[2]));
}

void tst_MainWindow::notationChangesOnlyHexaText()
{
    f->window->form().ApplyColor(255, 128, 0);
    QTest::mouseClick(f->control<QRadioButton>("optLang1"), Qt::LeftButton);
    QCOMPARE(f->control<QLabel>("txtHexa")->text(), QStringLiteral("$000080FF"));
    QCOMPARE(f->control<CaptionLabel>("txtHexa")->caption(), QStringLiteral("$000080FF"));
    expectColor(255, 128, 0);
    QTest::mouseClick(f->control<QRadioButton>("optLang2"), Qt::LeftButton);
    QCOMPARE(f->control<QLabel>("txtHexa")->text(), QStringLiteral("&H000080FF&"));
    QCOMPARE(f->control<CaptionLabel>("txtHexa")->caption(), QStringLiteral("&&H000080FF&&"));
    QVERIFY(!f->control<QRadioButton>("optLang1")->isChecked());
}

void tst_MainWindow::enterAndEscapePressNoButton()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    auto *bar = f->control<QScrollBar>("hsbColor0");
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Return);
    QTest::keyClick(bar, Qt::Key_Escape);
    QTest::qWait(50);
    QVERIFY(f->window->isVisible());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

void tst_MainWindow::enterPressesFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("clipboard"); // empty: the window closes
    QTest::newRow("Copy RGB Macro, Return")
        << "cmdCopyRGB" << int(Qt::Key_Return) << "RGB(255, 128, 0)";
    QTest::newRow("Copy Hexadecimal, keypad Enter")
        << "cmdCopyHexa" << int(Qt::Key_Enter) << "0x000080FF";
    QTest::newRow("Copy HTML Macro, Return")
        << "cmdCopyHTML" << int(Qt::Key_Return) << "\"#FF8000\"";
    QTest::newRow("Exit, Return") << "cmdExit" << int(Qt::Key_Return) << "";
}

void tst_MainWindow::enterPressesFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, clipboard);

    f->window->form().ApplyColor(255, 128, 0);
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    // Reached with the Tab key, as a person without a mouse reaches it.
    auto *target = f->control<QPushButton>(button.toLatin1().constData());
    for (int i = 0; i < 30 && QApplication::focusWidget() != target; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), target);
    const Qt::KeyboardModifiers modifiers =
        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(target, Qt::Key(key), modifiers);
    if (clipboard.isEmpty()) {
        QTRY_VERIFY(!f->window->isVisible());
        QVERIFY(QFile::exists(f->settingsPath()));
        return;
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
    QCOMPARE(QApplication::focusWidget(), f->control<QWidget>("hsbColor0"));
    QVERIFY(f->window->isVisible());
}

void tst_MainWindow::accessibleNames_data()
{
    QTest::addColumn<QString>("control"); // empty: the window itself
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");

    const char *const channels[3] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) {
        const QString index = QString::number(i);
        QTest::addRow("scroll bar %d", i)
            << "hsbColor" + index << int(QAccessible::ScrollBar) << channels[i];
        QTest::addRow("box %d", i)
            << "ediColor" + index << int(QAccessible::EditableText) << channels[i];
        QTest::addRow("chip %d", i)
            << "cpColor" + index << int(QAccessible::StaticText) << channels[i];
    }
    QTest::newRow("sample") << "cpRGB" << int(QAccessible::StaticText) << "Color sample";
    QTest::newRow("width") << "ediSwatch0" << int(QAccessible::EditableText) << "Width";
    QTest::newRow("height") << "ediSwatch1" << int(QAccessible::EditableText) << "Height";
    QTest::newRow("button") << "cmdCopySample" << int(QAccessible::Button) << "Copy Color Sample";
    QTest::newRow("check box") << "chkTop" << int(QAccessible::CheckBox) << "Always On Top";
    QTest::newRow("window") << "" << int(QAccessible::Window) << "RGB Tintora";
}

// What a screen reader announces: every control a person uses has a name that says what it
// is, not only its kind.
void tst_MainWindow::accessibleNames()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);

    QWidget *widget = control.isEmpty() ? static_cast<QWidget *>(f->window.get())
                                        : f->control<QWidget>(control.toLatin1().constData());
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(int(accessible->role()), role);
    QCOMPARE(accessible->text(QAccessible::Name), name);
}

void tst_MainWindow::sampleDescriptionFollowsColor()
{
    QAccessibleInterface *sample =
        QAccessible::queryAccessibleInterface(f->control<QWidget>("cpRGB"));
    QVERIFY(sample);
    QCOMPARE(sample->text(QAccessible::Description), QStringLiteral("RGB(0, 0, 0)"));

    QTest::keyClick(f->control<QScrollBar>("hsbColor0"), Qt::Key_End);
    QCOMPARE(sample->text(QAccessible::Description), QStringLiteral("RGB(255, 0, 0)"));

    auto *blue = f->control<QLineEdit>("ediColor2");
    blue->setFocus();
    blue->selectAll();
    QTest::keyClicks(blue, "77");
    QTest::keyClick(blue, Qt::Key_Return);
    QCOMPARE(sample->text(QAccessible::Description), QStringLiteral("RGB(255, 0, 77)"));

    // Set through the value interface, as a screen reader's user sets it.
    QAccessibleInterface *green =
        QAccessible::queryAccessibleInterface(f->control<QWidget>("hsbColor1"));
    QVERIFY(green && green->valueInterface());
    green->valueInterface()->setCurrentValue(9);
    QCOMPARE(sample->text(QAccessible::Description), QStringLiteral("RGB(255, 9, 77)"));
    QCOMPARE(f->control<QLineEdit>("ediColor1")->text(), QStringLiteral("9"));
}

// Pictures of the window show where the focus is, scroll bars included, light or dark.
void tst_MainWindow::focusIsShown_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("dark");
    for (const char *name : {"hsbColor0", "hsbColor1", "hsbColor2", "ediColor0", "cmdCopyRGB",
                             "cmdEditColor", "optLang0", "ediSwatch0", "chkTop", "cmdExit"}) {
        QTest::addRow("%s", name) << name << false;
        QTest::addRow("%s, dark", name) << name << true;
    }
}

void tst_MainWindow::focusIsShown()
{
    QFETCH(QString, control);
    QFETCH(bool, dark);
    if (dark)
        f->window->setPalette(QPalette(QColor(45, 45, 48), QColor(30, 30, 30)));
    QWidget *target = f->control<QWidget>(control.toLatin1());
    QWidget *other = f->control<QWidget>(control == "hsbColor1" ? "hsbColor0" : "hsbColor1");
    const QRect place(target->mapTo(f->window.get(), QPoint()), target->size());
    other->setFocus();
    const QImage without = f->window->grab(place).toImage();
    target->setFocus();
    const QImage with = f->window->grab(place).toImage();
    QVERIFY2(target->hasFocus() && with != without, "the focus is not seen");
}

// The frame's top line (the first row not of the ground) runs above its top row of options.
void tst_MainWindow::optionsInsideTheirFrame()
{
    auto *frame = f->control<QGroupBox>("Frame1");
    const QImage picture = frame->grab().toImage();
    int line = 0;
    while (picture.pixelColor(picture.width() - 4, line) == frame->palette().window().color())
        ++line;
    QVERIFY(line < f->control<QWidget>("optLang0")->y() && line < 10);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
