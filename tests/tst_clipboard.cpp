// SPDX-License-Identifier: MIT
// The four copy commands: what reaches the clipboard, what the boxes show afterwards and where
// the focus goes, started by mouse and by access key.

#include "windowfixture.h"

#include "editor/color/colorparse.h"

#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

class tst_Clipboard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void textCommands_data();
    void textCommands();
    void sample_data();
    void sample();
    void sampleSizeIsKeptForExit();
    void sampleBoxesIgnoreEnterAndNonDigits();
    void copyReplacesOtherFormats();
    void pasteReadsBackEveryCopy_data();
    void pasteReadsBackEveryCopy();
    void pasteForms_data();
    void pasteForms();
    void contextMenuPaste_data();
    void contextMenuPaste();
    void conversionIsWhatTheWindowCopies_data();
    void conversionIsWhatTheWindowCopies();

private:
    // What the window shows as its colour: the sample's, with the RGB text it must agree with.
    QString shownColor() const;
    // Starts a command by mouse or by its access key.
    void trigger(const char *button, Qt::Key accessKey, bool byKey);
    WindowFixture *f = nullptr;
};

void tst_Clipboard::init()
{
    f = new WindowFixture;
    QVERIFY(f->start());
}

void tst_Clipboard::cleanup()
{
    delete f;
    f = nullptr;
}

void tst_Clipboard::trigger(const char *button, Qt::Key accessKey, bool byKey)
{
    // Start from another control, so that the focus really has to move.
    f->control<QLineEdit>("ediSwatch1")->setFocus();
    if (byKey)
        QTest::keyClick(f->window.get(), accessKey, Qt::AltModifier);
    else
        QTest::mouseClick(f->control<QPushButton>(button), Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("hsbColor0"));
}

void tst_Clipboard::textCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("accessKey");
    QTest::addColumn<QList<int>>("rgb");
    QTest::addColumn<QString>("notation"); // option button to select first
    QTest::addColumn<QString>("expected");

    const QList<int> orange = {255, 128, 0};
    QTest::newRow("macro") << "cmdCopyRGB" << int(Qt::Key_R) << orange << "optLang0"
                           << "RGB(255, 128, 0)";
    QTest::newRow("hexa C") << "cmdCopyHexa" << int(Qt::Key_D) << orange << "optLang0"
                            << "0x000080FF";
    QTest::newRow("hexa Pascal") << "cmdCopyHexa" << int(Qt::Key_D) << orange << "optLang1"
                                 << "$000080FF";
    QTest::newRow("hexa Basic: single ampersands") << "cmdCopyHexa" << int(Qt::Key_D) << orange
                                                   << "optLang2" << "&H000080FF&";
    QTest::newRow("hexa Asm") << "cmdCopyHexa" << int(Qt::Key_D) << orange << "optLang3"
                              << "000080FFH";
    QTest::newRow("html pure red, Basic notation")
        << "cmdCopyHTML" << int(Qt::Key_M) << QList<int>{255, 0, 0} << "optLang2"
        << "\"#FF0000\"";
    QTest::newRow("html orange") << "cmdCopyHTML" << int(Qt::Key_M) << orange << "optLang0"
                                 << "\"#FF8000\"";
    QTest::newRow("html black") << "cmdCopyHTML" << int(Qt::Key_M) << QList<int>{0, 0, 0}
                                << "optLang3" << "\"#000000\"";
}

void tst_Clipboard::textCommands()
{
    QFETCH(QString, button);
    QFETCH(int, accessKey);
    QFETCH(QList<int>, rgb);
    QFETCH(QString, notation);
    QFETCH(QString, expected);

    f->window->form().ApplyColor(rgb[0], rgb[1], rgb[2]);
    QTest::mouseClick(f->control<QRadioButton>(notation.toLatin1().constData()), Qt::LeftButton);
    for (bool byKey : {false, true}) {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        trigger(button.toLatin1().constData(), Qt::Key(accessKey), byKey);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->text(), expected);
        QVERIFY(!data->hasImage());
    }
}

void tst_Clipboard::sample_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("widthAfter");
    QTest::addColumn<QString>("heightAfter");
    QTest::newRow("both empty") << "" << "" << QSize(8, 8) << "8" << "8";
    QTest::newRow("999 x 5") << "999" << "5" << QSize(256, 8) << "256" << "8";
    QTest::newRow("20 x 300") << "20" << "300" << QSize(20, 256) << "20" << "256";
    QTest::newRow("064 stays as typed") << "064" << "100" << QSize(64, 100) << "064" << "100";
    QTest::newRow("limits") << "8" << "256" << QSize(8, 256) << "8" << "256";
    QTest::newRow("zero") << "0" << "007" << QSize(8, 8) << "8" << "8";
}

void tst_Clipboard::sample()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QSize, size);
    QFETCH(QString, widthAfter);
    QFETCH(QString, heightAfter);

    f->window->form().ApplyColor(255, 128, 0);
    auto *widthBox = f->control<QLineEdit>("ediSwatch0");
    auto *heightBox = f->control<QLineEdit>("ediSwatch1");
    for (auto [box, text] : {std::pair{widthBox, width}, std::pair{heightBox, height}}) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
        QCOMPARE(box->text(), text);
    }
    for (bool byKey : {false, true}) {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        trigger("cmdCopySample", Qt::Key_S, byKey);
        QCOMPARE(widthBox->text(), widthAfter);
        QCOMPARE(heightBox->text(), heightAfter);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasImage());
        QVERIFY(!data->hasText());
        const QImage image = qvariant_cast<QImage>(data->imageData());
        // Exactly this many pixels, whatever the screen's scale factor.
        QCOMPARE(image.size(), size);
        QCOMPARE(f->window->form().SwatchSize[0], size.width());
        QCOMPARE(f->window->form().SwatchSize[1], size.height());
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y) {
            for (int x = 0; x < rgb.width(); ++x) {
                if (rgb.pixel(x, y) != qRgb(255, 128, 0))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(rgb.pixel(x, y), 8, 16)));
            }
        }
    }
    QVERIFY(!f->control<QWidget>("pctRGB")->isVisible());
}

void tst_Clipboard::sampleSizeIsKeptForExit()
{
    // Typing alone does not change the size that is saved; a copy does.
    auto *widthBox = f->control<QLineEdit>("ediSwatch0");
    widthBox->setFocus();
    widthBox->selectAll();
    QTest::keyClicks(widthBox, "100");
    QCOMPARE(f->window->form().SwatchSize[0], 32);
    QTest::mouseClick(f->control<QPushButton>("cmdCopySample"), Qt::LeftButton);
    QCOMPARE(f->window->form().SwatchSize[0], 100);
    QCOMPARE(f->window->form().SwatchSize[1], 32);
}

void tst_Clipboard::sampleBoxesIgnoreEnterAndNonDigits()
{
    auto *box = f->control<QLineEdit>("ediSwatch0");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "1x-2.");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->text(), QStringLiteral("12"));
    QCOMPARE(QApplication::focusWidget(), box);
    QCOMPARE(f->window->form().SwatchSize[0], 32); // Enter commits nothing
    // Pasted text of any kind ends as a size within 8..256 at the next copy.
    box->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("-4"));
    QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(box->text(), QStringLiteral("-4"));
    QTest::mouseClick(f->control<QPushButton>("cmdCopySample"), Qt::LeftButton);
    QCOMPARE(box->text(), QStringLiteral("8"));
    QCOMPARE(f->window->form().SwatchSize[0], 8);
}

void tst_Clipboard::copyReplacesOtherFormats()
{
    auto *mime = new QMimeData;
    mime->setText(QStringLiteral("text"));
    mime->setHtml(QStringLiteral("<b>html</b>"));
    mime->setData(QStringLiteral("application/x-other"), "other");
    QGuiApplication::clipboard()->setMimeData(mime);
    QTest::mouseClick(f->control<QPushButton>("cmdCopySample"), Qt::LeftButton);
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->hasImage());
    QVERIFY(!data->hasText());
    QVERIFY(!data->hasHtml());
    QVERIFY(!data->hasFormat(QStringLiteral("application/x-other")));

    QTest::mouseClick(f->control<QPushButton>("cmdCopyRGB"), Qt::LeftButton);
    data = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(data->text(), QStringLiteral("RGB(0, 0, 0)"));
    QVERIFY(!data->hasImage());
}

QString tst_Clipboard::shownColor() const
{
    const QColor sample = f->control<QLabel>("cpRGB")->palette().color(QPalette::Window);
    QString rgb = QStringLiteral("RGB(%1, %2, %3)")
                      .arg(sample.red()).arg(sample.green()).arg(sample.blue());
    // Every control must agree with the sample; one that does not is named in the result.
    if (const QString label = f->control<QLabel>("txtRGB")->text(); label != rgb)
        rgb += QStringLiteral(" (txtRGB shows %1)").arg(label);
    for (int i = 0; i < 3; ++i) {
        const int value =
            f->control<QScrollBar>(qPrintable(QStringLiteral("hsbColor%1").arg(i)))->value();
        const QString box =
            f->control<QLineEdit>(qPrintable(QStringLiteral("ediColor%1").arg(i)))->text();
        if (box != QString::number(value))
            rgb += QStringLiteral(" (bar %1 at %2, its box shows %3)").arg(i).arg(value).arg(box);
    }
    return rgb;
}

void tst_Clipboard::pasteReadsBackEveryCopy_data()
{
    QTest::addColumn<QList<int>>("rgb");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QString>("copied");

    // Orange and 1, 2, 3: a byte order turned round or a channel taken for another shows.
    const QList<int> orange = {255, 128, 64}, low = {1, 2, 3};
    for (const auto &[name, rgb, hexa, html] :
         {std::tuple{"orange", orange, QStringLiteral("004080FF"), QStringLiteral("FF8040")},
          std::tuple{"1,2,3", low, QStringLiteral("00030201"), QStringLiteral("010203")}}) {
        const QString macro = QStringLiteral("RGB(%1, %2, %3)").arg(rgb[0]).arg(rgb[1]).arg(rgb[2]);
        QTest::addRow("%s macro", name) << rgb << "cmdCopyRGB" << "optLang0" << macro;
        QTest::addRow("%s C", name) << rgb << "cmdCopyHexa" << "optLang0" << "0x" + hexa;
        QTest::addRow("%s Pascal", name) << rgb << "cmdCopyHexa" << "optLang1" << "$" + hexa;
        QTest::addRow("%s Basic", name) << rgb << "cmdCopyHexa" << "optLang2" << "&H" + hexa + "&";
        QTest::addRow("%s Asm", name) << rgb << "cmdCopyHexa" << "optLang3" << hexa + "H";
        QTest::addRow("%s HTML", name) << rgb << "cmdCopyHTML" << "optLang3"
                                       << "\"#" + html + "\"";
    }
}

// What a copy command copied, pasted back by each way there is: Ctrl+V and Shift+Insert on a
// button and on a scroll bar, Ctrl+V in a channel box, Shift+Insert in a sample size box.
void tst_Clipboard::pasteReadsBackEveryCopy()
{
    QFETCH(QList<int>, rgb);
    QFETCH(QString, button);
    QFETCH(QString, notation);
    QFETCH(QString, copied);

    f->window->form().ApplyColor(rgb[0], rgb[1], rgb[2]);
    QTest::mouseClick(f->control<QRadioButton>(qPrintable(notation)), Qt::LeftButton);
    QTest::mouseClick(f->control<QPushButton>(qPrintable(button)), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    const QString expected = shownColor();

    const struct
    {
        const char *control;
        Qt::Key key;
        Qt::KeyboardModifier modifier;
    } ways[] = {{"cmdCopySample", Qt::Key_V, Qt::ControlModifier},
                {"hsbColor2", Qt::Key_Insert, Qt::ShiftModifier},
                {"ediColor1", Qt::Key_V, Qt::ControlModifier},
                {"ediSwatch0", Qt::Key_Insert, Qt::ShiftModifier}};
    for (const auto &way : ways) {
        f->window->form().ApplyColor(9, 9, 9);
        auto *target = f->control<QWidget>(way.control);
        target->setFocus();
        QTest::keyClick(target, way.key, way.modifier);
        QCOMPARE(shownColor(), expected);
        // As after any command; and the box keeps its own text.
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("hsbColor0"));
        QCOMPARE(f->control<QLineEdit>("ediSwatch0")->text(), QStringLiteral("32"));
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    }
    QCOMPARE(f->window->form().SwatchSize[0], 32);
}

void tst_Clipboard::pasteForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");    // the colour after a paste; empty: unchanged
    QTest::addColumn<QString>("boxPaste"); // the green box after its own paste of no colour

    // The forms are the reader's table (tst_colortext); here one of each kind of source.
    QTest::newRow("#rgb") << "#F84" << "RGB(255, 136, 68)" << "";
    QTest::newRow("css rgb()") << "rgb(1,2,3)" << "RGB(1, 2, 3)" << "";
    QTest::newRow("commas, blanks around") << "  1, 2, 3\n" << "RGB(1, 2, 3)" << "";
    // No colour: the window stays; a box's own paste inserts as ever, cut to three characters.
    QTest::newRow("lone number") << "200" << "" << "200";
    QTest::newRow("digits and letters") << "12abc" << "" << "12a";
    QTest::newRow("channel out of range") << "RGB(300, 0, 0)" << "" << "RGB";
}

void tst_Clipboard::pasteForms()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QString, boxPaste);

    f->window->form().ApplyColor(9, 9, 9);
    const QString before = shownColor();
    auto *green = f->control<QLineEdit>("ediColor1");

    // Ctrl+V on a scroll bar, then in a box, where it inserts nothing of text that is no colour.
    for (const char *where : {"hsbColor1", "ediColor1"}) {
        f->window->form().ApplyColor(9, 9, 9);
        QGuiApplication::clipboard()->setText(text);
        f->control<QWidget>(where)->setFocus();
        QTest::keyClick(f->control<QWidget>(where), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(shownColor(), shown.isEmpty() ? before : shown);
        QCOMPARE(green->text(), shown.isEmpty() ? QStringLiteral("9") : green->text());
        QCOMPARE(QApplication::focusWidget()->objectName(),
                 shown.isEmpty() ? QString::fromLatin1(where) : QStringLiteral("hsbColor0"));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!QApplication::activePopupWidget());
    }

    // Shift+Insert in the green box: text that is no colour is the box's, as before.
    f->window->form().ApplyColor(9, 9, 9);
    green->setFocus();
    green->selectAll();
    QTest::keyClick(green, Qt::Key_Insert, Qt::ShiftModifier);
    if (shown.isEmpty()) {
        QCOMPARE(green->text(), boxPaste);
        QCOMPARE(QApplication::focusWidget(), green);
        QCOMPARE(f->control<QScrollBar>("hsbColor1")->value(), 9);
    } else {
        QCOMPARE(shownColor(), shown);
    }
}

void tst_Clipboard::contextMenuPaste_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("box");
    QTest::newRow("colour") << "\"#010203\"" << "RGB(1, 2, 3)" << "3";
    QTest::newRow("digits") << "77" << "RGB(9, 9, 9)" << "77";
}

// The box's context menu, Paste: a colour for the window, anything else for the box.
void tst_Clipboard::contextMenuPaste()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QString, box);

    f->window->form().ApplyColor(9, 9, 9);
    QGuiApplication::clipboard()->setText(text);
    auto *blue = f->control<QLineEdit>("ediColor2");
    blue->setFocus();
    blue->selectAll();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2),
                                blue->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(blue, &menuEvent);
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
    QAction *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"));
    QVERIFY(paste);
    QVERIFY(paste->isEnabled());
    paste->trigger();
    menu->close();
    QCOMPARE(blue->text(), box);
    QCOMPARE(f->control<QLabel>("txtRGB")->text(), shown);
}

void tst_Clipboard::conversionIsWhatTheWindowCopies_data()
{
    QTest::addColumn<QList<int>>("rgb");
    QTest::newRow("orange") << QList<int>{255, 128, 64};
    QTest::newRow("1,2,3") << QList<int>{1, 2, 3};
    QTest::newRow("white") << QList<int>{255, 255, 255};
}

// --convert's lines are the window's copies: the macro, the four notations, the HTML colour.
void tst_Clipboard::conversionIsWhatTheWindowCopies()
{
    QFETCH(QList<int>, rgb);

    f->window->form().ApplyColor(rgb[0], rgb[1], rgb[2]);
    QString copies;
    auto copy = [&](const char *button) {
        QTest::mouseClick(f->control<QPushButton>(button), Qt::LeftButton);
        copies += QGuiApplication::clipboard()->text() + u'\n';
    };
    copy("cmdCopyRGB");
    for (const char *notation : {"optLang0", "optLang1", "optLang2", "optLang3"}) {
        QTest::mouseClick(f->control<QRadioButton>(notation), Qt::LeftButton);
        copy("cmdCopyHexa");
    }
    copy("cmdCopyHTML");
    const hueloft::ColorValue color = f->window->form().currentColor();
    QCOMPARE(QString::fromStdString(hueloft::everyNotation(color)), copies);
}

QTEST_MAIN(tst_Clipboard)
#include "tst_clipboard.moc"
