// SPDX-License-Identifier: MIT
#pragma once

// The program's icon, embedded in the program as Qt resources under ":/hueloft/":
// ":/hueloft/hueloft-32.png" is the 32 x 32 original; hueloft-48.png, -64, -128 and -256 are
// the same picture at larger sizes, for window managers and docks that show more pixels;
// hueloft-16.png, -20 and -24 are drawn for their size, for title bars and task bars.

#include <QIcon>

namespace hueloft {

// The window's sizes (16 to 64) in one icon, so each place that shows it picks the nearest
// size instead of scaling the 32 x 32 one.
QIcon applicationIcon();

} // namespace hueloft
