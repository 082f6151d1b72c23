// SPDX-License-Identifier: MIT
#include "editor/qt/application.h"

#include "editor/resources/buildinfo.h"

#include <QApplication>

void describeApplication()
{
    QApplication::setApplicationName(QStringLiteral("hueloft"));
    QApplication::setApplicationVersion(QStringLiteral(HUELOFT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.hueloft.Hueloft"));
}
