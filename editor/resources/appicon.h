// SPDX-License-Identifier: MIT
#pragma once

// The program's icon while it runs: painted from the geometry table (icongeometry.h) straight
// into memory, as the generator paints the files the desktop and the installers get
// (hueloft-<size>.png, .svg, .ico). Painting a few rectangles costs far less than decoding the
// same pictures, and cannot come out different from them. The PNGs are also embedded as Qt
// resources under ":/hueloft/", for whatever wants the files themselves.

#include <QIcon>
#include <QImage>

namespace hueloft {

// The icon at Size x Size pixels (premultiplied ARGB).
QImage applicationIconImage(int size);

// The window's sizes (16 to 64) in one icon, so each place that shows it picks the nearest
// size instead of scaling the 32 x 32 one.
QIcon applicationIcon();

} // namespace hueloft
