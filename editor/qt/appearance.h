// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

// The program's icon: three bars, red, green and blue; every size from 16 to 256 pixels, and
// the 32 x 32 one alone.
QIcon programIcon();
QPixmap programIconPixmap();
