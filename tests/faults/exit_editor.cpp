// SPDX-License-Identifier: MIT
// The editor as the program starts it, with one difference: it is closed from outside through
// its standard input instead of by a person. The fault tests run it as a child process, so
// that the exit sequence can be killed, run as another user or under a file size limit.
//
// Usage: faults_editor <program folder> [library folder]
// Prints "ready" once the window is shown; closes the window (the normal shut-down, settings
// written) at the first line or the end of standard input.

#include "editor/settings/externals.h"
#include "editor/qt/mainwindow.h"

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hueloft"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fputs("usage: faults_editor <program folder> [library folder]\n", stderr);
        return 2;
    }
    const QString programFolder = arguments.at(1);
    const QString libraryFolder = arguments.size() > 2 ? arguments.at(2) : programFolder;

    DeclaredFunctions functions(QFile::encodeName(libraryFolder).toStdString());
    MainWindow window(functions, programFolder);
    window.Form_Load();
    window.show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&] {
        input.setEnabled(false);
        window.close();
    });
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return app.exec();
}
