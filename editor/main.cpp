// SPDX-License-Identifier: MIT
// hueloft: RGB Tintora, a small RGB colour editor.

#include "editor/settings/externals.h"
#include "editor/windows/buildinfo.h"
#include "editor/windows/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hueloft"));
    QApplication::setApplicationVersion(QStringLiteral(HUELOFT_VERSION));
    // Window titles already end with the display name, so none gets it appended.
    QApplication::setApplicationDisplayName(QStringLiteral("RGB Tintora"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.hueloft.Hueloft"));

    const QString programFolder = QApplication::applicationDirPath();
    DeclaredFunctions functions(programFolder);
    MainWindow window(functions, programFolder);
    window.Form_Load();
    window.show();
    return app.exec();
}
