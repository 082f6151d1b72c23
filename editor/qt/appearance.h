// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QIcon>

// The font of every window of the program. The layout is fixed in twips, so the font is too:
// one that every caption fits at, whatever the desktop's default is.
QFont dialogFont();

// The program's 32 x 32 icon: three bars, red, green and blue.
QIcon programIcon();
QPixmap programIconPixmap();
