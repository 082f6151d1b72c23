// SPDX-License-Identifier: MIT
// The editor as the program starts it, with one difference: it is closed from outside through
// its standard input instead of by a person. The fault tests run it as a child process, so
// that the exit sequence can be killed, run as another user or under a file size limit.
//
// Usage: faults_editor <program folder> [library folder]
// Prints "ready" once the window is shown; closes the window (the normal shut-down, settings
// written) at the first line or the end of standard input.

#include "editor/externals/externals.h"
#include "editor/qt/mainwindow.h"
#include "editor/qt/systemsettings.h"

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QThreadPool>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <thread>
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

    DeclaredFunctions functions({QFile::encodeName(libraryFolder).toStdString(), {}});
    SystemSettingsStore settings(QFile::encodeName(programFolder).toStdString());
    MainWindow window(functions, settings);
    window.form().Form_Load();
    window.show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&] {
        input.setEnabled(false);
        window.close();
    });
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    const int status = app.exec();
    // Qt paints large areas on threads of its global pool. They are ended here, and the
    // process waits (a tenth of a second at most) until the system has let them go: a thread
    // still on its way out holds Qt's per-thread data, which the sanitizer build's leak check
    // at exit would report as lost, now and then.
    QThreadPool::globalInstance()->waitForDone();
    const auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                             std::filesystem::directory_iterator());
    };
    for (int i = 0; i < 100 && threads() > 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return status;
}
