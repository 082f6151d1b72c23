// SPDX-License-Identifier: MIT
// Build-time tool: paints the program's icon from the geometry table and writes every form of
// it into one folder: hueloft-<size>.png for each bitmap size, hueloft.svg and hueloft.ico.
// Usage: icongen <output folder>
//
// Uses QtGui's image classes only, so it runs on a build machine without any display.

#include "icongeometry.h"

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

using namespace hueloft::icon;

QImage paintIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    paintPixels(reinterpret_cast<std::uint32_t *>(image.bits()), size,
                int(image.bytesPerLine() / 4));
    return image;
}

QByteArray svgText()
{
    QString text =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                       "viewBox=\"0 0 %1 %1\" shape-rendering=\"crispEdges\">\n")
            .arg(designSize);
    const auto rect = [](const Rect &r, std::uint32_t rgb) {
        return QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                              "fill=\"#%5\"/>\n")
            .arg(r.x)
            .arg(r.y)
            .arg(r.width)
            .arg(r.height)
            .arg(rgb, 6, 16, QLatin1Char('0'));
    };
    for (const Bar &bar : bars) {
        text += rect(shadowOf(bar.rect), shadowRgb);
        text += rect(bar.rect, bar.rgb);
    }
    text += QStringLiteral("</svg>\n");
    return text.toUtf8();
}

// The sixteen colours every Windows display has, in their usual order: the 16-colour icon
// entry is what a 16-colour screen shows.
constexpr std::array<std::uint32_t, 16> windowsPalette{
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

std::optional<int> paletteIndex(QRgb pixel)
{
    for (std::size_t i = 0; i < windowsPalette.size(); ++i) {
        if ((pixel & 0xFFFFFFu) == windowsPalette[i])
            return int(i);
    }
    return std::nullopt;
}

struct IcoEntry
{
    int size;
    int bitCount;
    int colorCount;
    QByteArray data;
};

// The AND mask of a DIB icon entry: one bit per pixel, set where the ground shows through,
// rows bottom-up and padded to 32 bits.
void writeMask(QDataStream &out, const QImage &image)
{
    const int rowBytes = ((image.width() + 31) / 32) * 4;
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 0)
                row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
        }
        out.writeRawData(row.constData(), row.size());
    }
}

void writeInfoHeader(QDataStream &out, const QImage &image, int bitCount, int paletteSize)
{
    const int xorBytes = ((image.width() * bitCount + 31) / 32) * 4 * image.height();
    const int andBytes = ((image.width() + 31) / 32) * 4 * image.height();
    out << quint32(40) << qint32(image.width()) << qint32(image.height() * 2) << quint16(1)
        << quint16(bitCount) << quint32(0) << quint32(xorBytes + andBytes) << qint32(0) << qint32(0)
        << quint32(paletteSize) << quint32(0);
}

std::optional<IcoEntry> sixteenColourEntry(const QImage &image)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    writeInfoHeader(out, image, 4, 16);
    for (std::uint32_t rgb : windowsPalette)
        out << quint8(rgb & 0xFF) << quint8((rgb >> 8) & 0xFF) << quint8(rgb >> 16) << quint8(0);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); x += 2) {
            int pair = 0;
            for (int i = 0; i < 2; ++i) {
                const QRgb pixel = image.pixel(x + i, y);
                int index = 0;
                if (qAlpha(pixel) != 0) {
                    const auto found = paletteIndex(pixel);
                    if (!found || qAlpha(pixel) != 255)
                        return std::nullopt;
                    index = *found;
                }
                pair = (pair << 4) | index;
            }
            out << quint8(pair);
        }
    }
    writeMask(out, image);
    return IcoEntry{image.width(), 4, 16, data};
}

IcoEntry trueColourEntry(const QImage &image)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    writeInfoHeader(out, image, 32, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            out << quint8(qBlue(pixel)) << quint8(qGreen(pixel)) << quint8(qRed(pixel))
                << quint8(qAlpha(pixel));
        }
    }
    writeMask(out, image);
    return IcoEntry{image.width(), 32, 0, data};
}

QByteArray pngData(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

QByteArray icoFile(const std::vector<IcoEntry> &entries)
{
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(entries.size());
    quint32 offset = 6 + 16 * quint32(entries.size());
    for (const IcoEntry &e : entries) {
        // A size of 256 does not fit the byte; 0 stands for it.
        const quint8 side = e.size >= 256 ? 0 : quint8(e.size);
        out << side << side << quint8(e.colorCount) << quint8(0) << quint16(1)
            << quint16(e.bitCount) << quint32(e.data.size()) << offset;
        offset += quint32(e.data.size());
    }
    for (const IcoEntry &e : entries)
        out.writeRawData(e.data.constData(), e.data.size());
    return file;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        std::fprintf(stderr, "icongen: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "icongen: cannot create folder %s\n", argv[1]);
        return 1;
    }

    bool ok = true;
    std::vector<IcoEntry> icoEntries;
    for (int size : bitmapSizes) {
        const QImage image = paintIcon(size);
        const QByteArray png = pngData(image);
        ok = writeFile(folder.filePath(QStringLiteral("hueloft-%1.png").arg(size)), png) && ok;
        if (size == designSize) {
            const auto sixteen = sixteenColourEntry(image);
            if (!sixteen) {
                std::fprintf(stderr, "icongen: the icon uses a colour outside the 16-colour "
                                     "palette; hueloft.ico needs one\n");
                return 1;
            }
            icoEntries.push_back(*sixteen);
        }
        if (std::find(icoSizes.begin(), icoSizes.end(), size) == icoSizes.end())
            continue;
        if (size <= largestIcoBitmap)
            icoEntries.push_back(trueColourEntry(image));
        else
            icoEntries.push_back(IcoEntry{size, 32, 0, png});
    }
    ok = writeFile(folder.filePath(QStringLiteral("hueloft.svg")), svgText()) && ok;
    ok = writeFile(folder.filePath(QStringLiteral("hueloft.ico")), icoFile(icoEntries)) && ok;
    return ok ? 0 : 1;
}
