// SPDX-License-Identifier: MIT
#include "appicon.h"

#include "icongeometry.h"

#include <QImageReader>
#include <QPixmap>
#include <QString>

namespace hueloft {

QIcon applicationIcon()
{
    // Read as PNG straight away: left to guess the format, Qt would load every image plug-in
    // first, which costs more at start-up than the whole icon.
    QIcon result;
    for (int size : icon::windowIconSizes) {
        QImageReader reader(QStringLiteral(":/hueloft/hueloft-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        result.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return result;
}

} // namespace hueloft
