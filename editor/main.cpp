// SPDX-License-Identifier: MIT
// hueloft: RGB Tintora, a small RGB colour editor.

#include "editor/settings/externals.h"
#include "editor/settings/settingspath.h"
#include "editor/windows/application.h"
#include "editor/windows/mainwindow.h"

#include <QApplication>
#include <QFile>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    describeApplication();

    // Bytes as the system gives them: Qt's own folder path is decoded text, which loses the
    // bytes of a folder name that is not valid UTF-8.
    std::string programFolder = runningProgramFolder();
    if (programFolder.empty())
        programFolder = QFile::encodeName(QApplication::applicationDirPath()).toStdString();
    DeclaredFunctions functions(programFolder);
    MainWindow window(functions, programFolder);
    window.Form_Load();
    window.show();
    // A session that ends (log-out) closes the window like any other close: it saves.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &QWidget::close);
    return app.exec();
}
