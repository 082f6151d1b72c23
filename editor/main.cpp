// SPDX-License-Identifier: MIT
// hueloft: RGB Tintora, a small RGB colour editor.

#include "editor/settings/externals.h"
#include "editor/windows/application.h"
#include "editor/windows/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    describeApplication();

    const QString programFolder = QApplication::applicationDirPath();
    DeclaredFunctions functions(programFolder);
    MainWindow window(functions, programFolder);
    window.Form_Load();
    window.show();
    // A session that ends (log-out) closes the window like any other close: it saves.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &QWidget::close);
    return app.exec();
}
