// SPDX-License-Identifier: MIT
#include "editor/qt/application.h"

#include "editor/qt/appearance.h"
#include "editor/qt/buildinfo.h"

#include <QApplication>

void describeApplication()
{
    QApplication::setApplicationName(QStringLiteral("hueloft"));
    QApplication::setApplicationVersion(QStringLiteral(HUELOFT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.hueloft.Hueloft"));
    // The colour dialog and the About box share the main window's font, and Qt opens one font
    // engine instead of one for the desktop's default as well.
    QApplication::setFont(dialogFont());
}
