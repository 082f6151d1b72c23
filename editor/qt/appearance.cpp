// SPDX-License-Identifier: MIT
#include "editor/qt/appearance.h"

#include "editor/resources/appicon.h"

#include <QImageReader>
#include <QPixmap>

QPixmap programIconPixmap()
{
    // Read as PNG straight away: left to guess the format, Qt would load every image plug-in
    // first, which costs more at start-up than the whole icon.
    QImageReader reader(QStringLiteral(":/hueloft/hueloft-32.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon programIcon()
{
    return hueloft::applicationIcon();
}
