// SPDX-License-Identifier: MIT
#include "editor/qt/appearance.h"

#include "editor/resources/appicon.h"

#include <QPixmap>

QPixmap programIconPixmap()
{
    return QPixmap::fromImage(hueloft::applicationIconImage(32));
}

QIcon programIcon()
{
    return hueloft::applicationIcon();
}
