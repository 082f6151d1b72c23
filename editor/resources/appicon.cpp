// SPDX-License-Identifier: MIT
#include "appicon.h"

#include "icongeometry.h"

#include <QString>

namespace hueloft {

QIcon applicationIcon()
{
    QIcon result;
    for (int size : icon::bitmapSizes)
        result.addFile(QStringLiteral(":/hueloft/hueloft-%1.png").arg(size), QSize(size, size));
    return result;
}

} // namespace hueloft
