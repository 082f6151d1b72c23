// SPDX-License-Identifier: MIT
// The editor as the program starts it, with one difference: it is closed from outside through
// its standard input instead of by a person. The fault tests run it as a child process, so
// that the exit sequence can be killed, run as another user or under a file size limit.
//
// Usage: faults_editor <program folder> [library folder]
// Prints "ready" once the window is shown. Reads lines from standard input: "color R G B"
// mixes that colour and "notation N" chooses that notation, as a person would in the window;
// any other line, or the end of the input, closes the window (the normal shut-down, settings
// written). A box that tells a problem is read as a person would, "told: <text>" on standard
// output, and closed, so that nothing waits for a person.

#include "editor/externals/externals.h"
#include "editor/qt/mainwindow.h"
#include "editor/qt/systemsettings.h"

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QMessageBox>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace {

QtMessageHandler g_qtMessages = nullptr;

// The offscreen platform remarks on every box it shows; the tests count the editor's own lines.
void withoutPlatformRemarks(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    if (g_qtMessages)
        g_qtMessages(type, context, text);
    else
        std::fputs(qPrintable(qFormatLogMessage(type, context, text) + u'\n'), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    g_qtMessages = qInstallMessageHandler(withoutPlatformRemarks);
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
    functions.tellProblemsTo([&window](const std::string &line) { window.form().TellProblem(line); });
    const auto readBoxes = [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (box && box->isVisible()) {
                std::printf("told: %s\n", qPrintable(box->text()));
                std::fflush(stdout);
                box->done(QMessageBox::Ok);
            }
        }
    };
    QTimer boxReader;
    QObject::connect(&boxReader, &QTimer::timeout, readBoxes);
    boxReader.start(20);
    window.form().Form_Load();
    window.show();

    // Unbuffered: a line not yet read stays in the pipe, where the notifier sees it.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&, readBoxes] {
        char line[128];
        int r = 0, g = 0, b = 0, notation = 0;
        const bool got = std::fgets(line, sizeof line, stdin) != nullptr;
        if (got && std::sscanf(line, "color %d %d %d", &r, &g, &b) == 3) {
            window.form().ApplyColor(r, g, b);
        } else if (got && std::sscanf(line, "notation %d", &notation) == 1) {
            window.form().optLang_Click(notation);
        } else {
            input.setEnabled(false);
            readBoxes(); // a person closing at once has seen the start's box first
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
