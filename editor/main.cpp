// SPDX-License-Identifier: MIT
// hueloft: RGB Tintora, a small RGB colour editor.

#include "editor/color/colorparse.h"
#include "editor/externals/externals.h"
#include "editor/qt/application.h"
#include "editor/qt/commandline.h"
#include "editor/qt/copyslot_posix.h"
#include "editor/qt/mainwindow.h"
#include "editor/qt/systemsettings.h"
#include "editor/resources/installdirs.h"
#include "platform/links_posix.h"
#include "platform/settingsfacts.h"

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Without a session bus, libdbus would launch one for us on X11 (a dbus-daemon that outlives
// the program, and a folder ~/.dbus that nobody asked for). Where none runs, the program has
// no bus: an address that cannot be connected to keeps the library from launching one. A bus
// that exists (a desktop session, dbus-run-session) is used as always.
void preventBusLaunch()
{
    const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return;
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat st = {};
        if (::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            return; // the bus at its usual place: libdbus finds it there
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/hueloft-no-session-bus", 1);
}

// Without XDG_RUNTIME_DIR (su, a bare X session) Qt makes itself a runtime folder while the
// application starts (runtime-<user> in the temporary folder), and says so; the program needs
// none and makes no file but its settings. Meanwhile the temporary folder is one that cannot
// exist, so nothing is made, and Qt's remarks about it are not shown.
class NoRuntimeFolder
{
public:
    NoRuntimeFolder()
    {
        if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
            return;
        m_active = true;
        if (const char *temporary = std::getenv("TMPDIR"))
            m_temporary = temporary;
        ::setenv("TMPDIR", "/nonexistent/hueloft-no-runtime-folder", 1);
        s_previous = qInstallMessageHandler(quiet);
    }
    ~NoRuntimeFolder()
    {
        if (!m_active)
            return;
        qInstallMessageHandler(s_previous);
        if (m_temporary)
            ::setenv("TMPDIR", m_temporary->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    NoRuntimeFolder(const NoRuntimeFolder &) = delete;
    NoRuntimeFolder &operator=(const NoRuntimeFolder &) = delete;

private:
    static void quiet(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (text.startsWith(QLatin1String("QStandardPaths: ")) &&
            text.contains(QLatin1String("runtime"), Qt::CaseInsensitive))
            return;
        if (s_previous)
            s_previous(type, context, text);
        else
            std::fputs(qPrintable(qFormatLogMessage(type, context, text) + u'\n'), stderr);
    }

    bool m_active = false;
    std::optional<std::string> m_temporary;
    static inline QtMessageHandler s_previous = nullptr;
};

// SIGTERM (a log-out), SIGHUP (the terminal went away) and SIGINT close the window as its
// close box does, settings saved. The handler only writes a byte to a pipe; the window is
// closed by the event loop that reads it, where closing is safe.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    (void)!::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool catchEndSignals()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
    return true;
}

// An open colour dialog or About box goes first, as it would for a person who closes it (the
// colour dialog as if cancelled); the window closes only once the dialog's own loop has
// returned to its caller, so that what the dialog leaves (its custom colours) reaches the
// store before the window saves.
void closeForSignal(QWidget &window)
{
    auto openModal = [&window]() -> QWidget * {
        QWidget *modal = QApplication::activeModalWidget();
        return modal != &window ? modal : nullptr;
    };
    if (QWidget *modal = openModal())
        modal->close();
    if (openModal() || QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, &window, [&window] { closeForSignal(window); });
        return;
    }
    window.close();
}

// Text for standard output, with a status that says whether all of it got there (a full disk,
// a closed pipe).
int printed(const std::string &text)
{
    const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    if (written)
        return EXIT_SUCCESS;
    std::fprintf(stderr, "hueloft: cannot write to standard output: %s\n", std::strerror(errno));
    return EXIT_FAILURE;
}

// Whether others can create names in the program's folder (links_posix.h): Qt would load
// whatever plug-in folder they put there.
bool programFolderShared(const std::string &programFolder)
{
    struct stat folder = {};
    return !programFolder.empty() && ::stat(programFolder.c_str(), &folder) == 0 &&
           !platform::privateFolder(folder);
}

} // namespace

int main(int argc, char *argv[])
{
    using hueloft::CommandLine;
    const CommandLine command = readCommandLine(argc, argv);
    switch (command.action) {
    case CommandLine::Action::Help:
        return printed(helpText());
    case CommandLine::Action::Version:
        return printed(versionText());
    case CommandLine::Action::Convert:
        return printed(hueloft::everyNotation(*command.color));
    case CommandLine::Action::Error:
        std::fprintf(stderr, "%s\n", command.error.c_str());
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    preventBusLaunch();
    std::optional<NoRuntimeFolder> noRuntimeFolder(std::in_place);
    // Qt searches the program's folder for plug-ins of every kind, while QApplication starts (the
    // platform, its theme, its style) and later (image formats), and Qt has no way to be kept
    // out of it before it starts. A portable copy in a folder where others can create names
    // would run their code in this user's process: it does not start there.
    if (const std::string folder = platform::programFolder(); programFolderShared(folder)) {
        std::fprintf(stderr,
                     "hueloft: not started: %s: others can write in the program's folder, and Qt "
                     "would load plug-ins they put there\n",
                     folder.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::removeLibraryPath(QCoreApplication::applicationDirPath());
    noRuntimeFolder.reset();
    describeApplication();

    // Bytes as the system gives them: Qt's own folder path is decoded text, which loses the
    // bytes of a folder name that is not valid UTF-8.
    std::string programFolder = platform::programFolder();
    if (programFolder.empty())
        programFolder = QFile::encodeName(QApplication::applicationDirPath()).toStdString();
    DeclaredFunctions functions({programFolder, hueloft::installedLibraryFolder(programFolder)});
    SystemSettingsStore settings(programFolder);
    MainWindow window(functions, settings);
    functions.tellProblemsTo(
        [&window](const std::string &line) { window.form().TellProblem(line); });
    window.form().Form_Load();
    if (command.color)
        window.form().ApplyStartColor(*command.color);
    window.form().StepAside(takeCopySlot());

    std::unique_ptr<QSocketNotifier> endSignals;
    if (catchEndSignals()) {
        endSignals = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(endSignals.get(), &QSocketNotifier::activated, &window, [&window] {
            char bytes[64];
            while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            closeForSignal(window);
        });
    }
    window.show();
    // A session that ends (log-out) closes the window like any other close: it saves.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &QWidget::close);
    return app.exec();
}
