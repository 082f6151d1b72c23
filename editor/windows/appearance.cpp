// SPDX-License-Identifier: MIT
#include "editor/windows/appearance.h"

#include <QPixmap>

QFont dialogFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setStretch(88);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QPixmap programIconPixmap()
{
    return QPixmap(QStringLiteral(":/hueloft/hueloft-32.png"));
}

QIcon programIcon()
{
    return QIcon(programIconPixmap());
}
