// SPDX-License-Identifier: MIT
// The program's icon in every form it ships in: the embedded bitmaps (which also proves the
// resources of the static library reach a program that links it), the files in the build
// tree, the SVG and the Windows .ico. The picture is worked out here from its description,
// not from the generator's table, so a slip in the table shows up.

#include "editor/resources/appicon.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>

namespace {

const QString iconDir = QStringLiteral(HUELOFT_ICON_DIR);
const QList<int> scaledSizes{48, 64, 128, 256};

// The 32 x 32 design: bars 7 wide and 25 high from 3 pixels below the top, their left edges at
// 3, 13 and 23, each over a black shadow moved 1 pixel down and right and 2 pixels thick.
// 16, 20 and 24 pixels are drawn for their size, with shadows 1 pixel thick.
struct Drawing
{
    int size;
    std::array<int, 3> lefts;
    int width, top, height, shadow;
};
const Drawing theDesign{32, {3, 13, 23}, 7, 3, 25, 2};
const std::array<Drawing, 3> smallDrawings{
    {{16, {1, 6, 11}, 3, 1, 13, 1}, {20, {2, 8, 14}, 4, 2, 15, 1}, {24, {1, 9, 17}, 5, 2, 19, 1}}};

// (u, v) is a point in the drawing's pixels; transparent comes back as 0.
QRgb expectedAt(double u, double v, const Drawing &d = theDesign)
{
    const std::array<QRgb, 3> colours{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (std::size_t i = 0; i < d.lefts.size(); ++i) {
        if (u >= d.lefts[i] && u < d.lefts[i] + d.width && v >= d.top && v < d.top + d.height)
            return colours[i];
    }
    const int right = d.width + d.shadow, bottom = d.top + d.height + d.shadow;
    for (int left : d.lefts) {
        if (u >= left + d.width && u < left + right && v >= d.top + 1 && v < bottom)
            return qRgb(0, 0, 0);
        if (u >= left + 1 && u < left + right && v >= d.top + d.height && v < bottom)
            return qRgb(0, 0, 0);
    }
    return 0;
}

// Every fully transparent pixel reads as 0 whatever colour it carries; anything between
// transparent and opaque is kept as it is, so it can never match.
QRgb normalised(QRgb pixel)
{
    return qAlpha(pixel) == 0 ? 0 : pixel;
}

QString describe(QRgb pixel)
{
    return QStringLiteral("#%1").arg(pixel, 8, 16, QLatin1Char('0'));
}

// Compares an image with a drawing, pixel by pixel, naming the first wrong pixel.
void compareWithDesign(const QImage &image, const Drawing &d = theDesign)
{
    QCOMPARE(image.size(), QSize(d.size, d.size));
    for (int y = 0; y < d.size; ++y) {
        for (int x = 0; x < d.size; ++x) {
            const QRgb actual = normalised(image.pixel(x, y));
            const QRgb expected = expectedAt(x + 0.5, y + 0.5, d);
            if (actual != expected) {
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(describe(actual), describe(expected))));
            }
        }
    }
}

QImage loadImage(const QString &path)
{
    QImage image(path);
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QImage> icoImages()
{
    QList<QImage> images;
    QImageReader reader(iconDir + QStringLiteral("/hueloft.ico"), "ico");
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            break;
        images.append(reader.read());
    }
    return images;
}

} // namespace

class tst_Icon : public QObject
{
    Q_OBJECT

private slots:
    void design_data();
    void design();
    void largerSizes_data();
    void largerSizes();
    void svg();
    void icoHoldsEverySizeItNames();
    void applicationIconOffersWindowSizes();
};

void tst_Icon::design_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("drawing"); // -1: the design, else an index into smallDrawings
    QTest::newRow("embedded") << loadImage(QStringLiteral(":/hueloft/hueloft-32.png")) << -1;
    QTest::newRow("build tree") << loadImage(iconDir + QStringLiteral("/hueloft-32.png")) << -1;
    const QList<QImage> ico = icoImages();
    int entry = 0;
    for (const QImage &image : ico) {
        if (image.size() == QSize(32, 32)) {
            QTest::addRow("ico entry %d", entry)
                << image.convertToFormat(QImage::Format_ARGB32) << -1;
        }
        ++entry;
    }
    for (int i = 0; i < int(smallDrawings.size()); ++i)
        QTest::addRow("%d", smallDrawings[i].size)
            << loadImage(QStringLiteral(":/hueloft/hueloft-%1.png").arg(smallDrawings[i].size))
            << i;
}

void tst_Icon::design()
{
    QFETCH(QImage, image);
    QFETCH(int, drawing);
    QVERIFY2(!image.isNull(), "the image did not load");
    compareWithDesign(image, drawing < 0 ? theDesign : smallDrawings[drawing]);
}

void tst_Icon::largerSizes_data()
{
    QTest::addColumn<int>("size");
    for (int size : scaledSizes)
        QTest::addRow("%d", size) << size;
}

// A larger size shows the same picture scaled: every pixel has the colour the design has under
// its centre, except that a pixel straddling an edge of the design may take either side's
// colour. Nothing in between: no blended edges, no half-transparent pixels.
void tst_Icon::largerSizes()
{
    QFETCH(int, size);
    const QString name = QStringLiteral("hueloft-%1.png").arg(size);
    const QString embedded = QStringLiteral(":/hueloft/") + name;
    QCOMPARE(fileBytes(embedded), fileBytes(iconDir + QLatin1Char('/') + name));

    const QImage image = loadImage(embedded);
    QCOMPARE(image.size(), QSize(size, size));
    const double scale = 32.0 / size;
    const double reach = 0.49 * scale;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) * scale;
            const double v = (y + 0.5) * scale;
            QSet<QRgb> allowed;
            for (double du : {-reach, 0.0, reach}) {
                for (double dv : {-reach, 0.0, reach})
                    allowed.insert(expectedAt(u + du, v + dv));
            }
            const QRgb actual = normalised(image.pixel(x, y));
            if (!allowed.contains(actual)) {
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(describe(actual), describe(expectedAt(u, v)))));
            }
        }
    }
}

// The SVG is read as rectangles painted in order and rasterised at the design size.
void tst_Icon::svg()
{
    QFile file(iconDir + QStringLiteral("/hueloft.svg"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    QXmlStreamReader xml(&file);
    QImage raster(32, 32, QImage::Format_ARGB32);
    raster.fill(0);
    bool sawRoot = false;
    int rects = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("svg")) {
            QCOMPARE(a.value(QLatin1String("viewBox")).toString(), QStringLiteral("0 0 32 32"));
            sawRoot = true;
        } else if (xml.name() == QLatin1String("rect")) {
            QVERIFY(sawRoot);
            const double rx = a.value(QLatin1String("x")).toDouble();
            const double ry = a.value(QLatin1String("y")).toDouble();
            const double rw = a.value(QLatin1String("width")).toDouble();
            const double rh = a.value(QLatin1String("height")).toDouble();
            const QColor fill(a.value(QLatin1String("fill")).toString());
            QVERIFY2(fill.isValid(), "rect without a colour");
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    if (x + 0.5 > rx && x + 0.5 < rx + rw && y + 0.5 > ry && y + 0.5 < ry + rh)
                        raster.setPixel(x, y, fill.rgba());
                }
            }
            ++rects;
        } else {
            QFAIL(qPrintable(QStringLiteral("unexpected element <%1>").arg(xml.name())));
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(rects, 6);
    compareWithDesign(raster);
}

// Windows picks the entry that suits the screen; each must be the same picture as the bitmap
// of its size.
void tst_Icon::icoHoldsEverySizeItNames()
{
    const QList<QImage> entries = icoImages();
    QVERIFY2(!entries.isEmpty(), "hueloft.ico cannot be read");
    QSet<int> sides;
    for (const QImage &entry : entries) {
        QVERIFY(!entry.isNull());
        const QImage image = entry.convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.width(), image.height());
        sides.insert(image.width());
        const QImage bitmap =
            loadImage(iconDir + QStringLiteral("/hueloft-%1.png").arg(image.width()));
        QVERIFY2(!bitmap.isNull(), "an .ico entry has a size no bitmap has");
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (normalised(image.pixel(x, y)) != normalised(bitmap.pixel(x, y))) {
                    QFAIL(qPrintable(QStringLiteral("%1 x %1 entry differs at (%2, %3)")
                                         .arg(image.width())
                                         .arg(x)
                                         .arg(y)));
                }
            }
        }
    }
    QCOMPARE(sides, QSet<int>({16, 20, 24, 32, 48, 64, 256}));

    // Qt hands every entry over in 32-bit colour, so the 16-colour one, which a 16-colour
    // screen shows, is found in the file's directory: 16 bytes per entry after a 6-byte header.
    const QByteArray file = fileBytes(iconDir + QStringLiteral("/hueloft.ico"));
    QVERIFY(file.size() >= 6);
    const auto word = [&file](int at) {
        return int(uchar(file[at])) | int(uchar(file[at + 1])) << 8;
    };
    QCOMPARE(word(2), 1); // an icon, not a cursor
    QCOMPARE(word(4), entries.size());
    QVERIFY(file.size() >= 6 + 16 * entries.size());
    bool sixteenColours = false;
    for (int i = 0; i < entries.size(); ++i) {
        const int at = 6 + 16 * i;
        if (uchar(file[at]) == 32 && uchar(file[at + 2]) == 16 && word(at + 6) == 4)
            sixteenColours = true;
    }
    QVERIFY2(sixteenColours, "no 16-colour 32 x 32 entry");
}

void tst_Icon::applicationIconOffersWindowSizes()
{
    const QIcon icon = hueloft::applicationIcon();
    QList<int> sides;
    for (const QSize &size : icon.availableSizes())
        sides.append(size.width());
    std::sort(sides.begin(), sides.end());
    QCOMPARE(sides, QList<int>({16, 20, 24, 32, 48, 64}));
    // Painted in memory, each size is the file of that size, pixel for pixel.
    for (int side : sides) {
        const QImage file = loadImage(iconDir + QStringLiteral("/hueloft-%1.png").arg(side));
        const QImage shown = icon.pixmap(QSize(side, side)).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32), file);
    }
    compareWithDesign(icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32));
}

QTEST_MAIN(tst_Icon)
#include "tst_icon.moc"
