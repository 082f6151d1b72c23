// SPDX-License-Identifier: MIT
// hueloft: RGB Tintora, a small RGB colour editor.

#include "editor/settings/externals.h"
#include "editor/qt/application.h"
#include "editor/qt/mainwindow.h"

#include <QApplication>
#include <QFile>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    describeApplication();

    const QString programFolder = QApplication::applicationDirPath();
    DeclaredFunctions functions(QFile::encodeName(programFolder).toStdString());
    MainWindow window(functions, programFolder);
    window.Form_Load();
    window.show();
    // A session that ends (log-out) closes the window like any other close: it saves.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &QWidget::close);
    return app.exec();
}
