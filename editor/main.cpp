// SPDX-License-Identifier: MIT
// hueloft: RGB Tintora, a small RGB colour editor.

#include "editor/qt/application.h"
#include "editor/qt/mainwindow.h"
#include "editor/settings/externals.h"
#include "platform/settingsfacts.h"

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <memory>
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
        struct stat st
        {
        };
        if (::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            return; // the bus at its usual place: libdbus finds it there
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/hueloft-no-session-bus", 1);
}

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

} // namespace

int main(int argc, char *argv[])
{
    preventBusLaunch();
    QApplication app(argc, argv);
    describeApplication();

    // Bytes as the system gives them: Qt's own folder path is decoded text, which loses the
    // bytes of a folder name that is not valid UTF-8.
    std::string programFolder = platform::programFolder();
    if (programFolder.empty())
        programFolder = QFile::encodeName(QApplication::applicationDirPath()).toStdString();
    DeclaredFunctions functions(programFolder);
    MainWindow window(functions, programFolder);
    window.Form_Load();

    std::unique_ptr<QSocketNotifier> endSignals;
    if (catchEndSignals()) {
        endSignals = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(endSignals.get(), &QSocketNotifier::activated, &window, [&window] {
            char bytes[64];
            while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            // An open colour dialog or About box goes first, as it would for a person who
            // closes it; its nested loop then ends and the window closes.
            for (int i = 0; i < 8; ++i) {
                QWidget *modal = QApplication::activeModalWidget();
                if (!modal || modal == &window)
                    break;
                modal->close();
            }
            window.close();
        });
    }
    window.show();
    // A session that ends (log-out) closes the window like any other close: it saves.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &QWidget::close);
    return app.exec();
}
