// SPDX-License-Identifier: MIT
// The editor as the program starts it, with one difference: it is closed from outside through
// its standard input instead of by a person. The fault tests run it as a child process, so
// that the exit sequence can be killed, run as another user or under a file size limit.
//
// Usage: faults_editor <program folder> [library folder]
// Prints "ready" once the window is shown. Reads lines from standard input: "color R G B"
// mixes that colour and "notation N" chooses that notation, as a person would in the window;
// any other line, or the end of the input, closes the window (the normal shut-down, settings
// written).

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

    // Unbuffered: a line not yet read stays in the pipe, where the notifier sees it.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&] {
        char line[128];
        int r = 0, g = 0, b = 0, notation = 0;
        const bool got = std::fgets(line, sizeof line, stdin) != nullptr;
        if (got && std::sscanf(line, "color %d %d %d", &r, &g, &b) == 3) {
            window.form().ApplyColor(r, g, b);
        } else if (got && std::sscanf(line, "notation %d", &notation) == 1) {
            window.form().optLang_Click(notation);
        } else {
            input.setEnabled(false);
            window.close();
        }
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
