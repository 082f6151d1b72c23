// SPDX-License-Identifier: MIT
// The four copy commands: what reaches the clipboard, what the boxes show afterwards and where
// the focus goes, started by mouse and by access key.

#include "windowfixture.h"

#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
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

private:
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

QTEST_MAIN(tst_Clipboard)
#include "tst_clipboard.moc"
