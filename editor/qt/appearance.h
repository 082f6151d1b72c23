// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QIcon>

// The font of every window of the program. The layout is fixed in twips, so the font is too:
// one that every caption fits at, whatever the desktop's default is.
QFont dialogFont();

// The program's icon: three bars, red, green and blue; every size from 16 to 256 pixels, and
// the 32 x 32 one alone.
QIcon programIcon();
QPixmap programIconPixmap();
