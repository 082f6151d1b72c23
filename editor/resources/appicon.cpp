// SPDX-License-Identifier: MIT
#include "appicon.h"

#include "icongeometry.h"

#include <QPixmap>

#include <cstdint>

namespace hueloft {

QImage applicationIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    icon::paintPixels(reinterpret_cast<std::uint32_t *>(image.bits()), size,
                      int(image.bytesPerLine() / 4));
    return image;
}

QIcon applicationIcon()
{
    QIcon result;
    for (int size : icon::windowIconSizes)
        result.addPixmap(QPixmap::fromImage(applicationIconImage(size)));
    return result;
}

} // namespace hueloft
