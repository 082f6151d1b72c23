// SPDX-License-Identifier: MIT
// Starts one program and times it from the outside.
//
//   bench_launch [--wrapped] [--x11 TITLE] [--timeout SECONDS] -- COMMAND [ARGS...]
//
// The clock starts just before fork() and is handed to the child as BENCH_T0_NS, so that a
// program that reports its own first frame measures from the same instant. Without --x11 the
// launcher waits for the command to end and prints exit-ms. With --x11 it watches the X server
// as a separate client: map-ms when a top-level window named TITLE becomes viewable (what
// `xdotool search --sync --onlyvisible --name` waits for), frame-ms when the first drawing
// lands in that window (a DAMAGE report: the program's windows have no background, so mapping
// alone draws nothing), and then it ends the program with SIGTERM. Both print cpu-ms, the
// processor time of the command and its children. --wrapped says COMMAND is a
// wrapper such as /usr/bin/time, whose children are the program to end: the wrapper itself
// must live on to write its figures.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#ifdef BENCH_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#endif

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

double msSince(long long t0)
{
    return double(monotonicNs() - t0) / 1e6;
}

pid_t start(char **command, long long &t0)
{
    t0 = monotonicNs();
    const pid_t child = fork();
    if (child == 0) {
        setenv("BENCH_T0_NS", std::to_string(t0).c_str(), 1);
        execvp(command[0], command);
        std::fprintf(stderr, "bench_launch: cannot run %s: %s\n", command[0], std::strerror(errno));
        _exit(127);
    }
    if (child < 0) {
        std::perror("bench_launch: fork");
        std::exit(1);
    }
    return child;
}

// Waits for the child and prints the processor time it used, its reaped children's included
// (a wrapper's program, that is): less disturbed by other load on the machine than the clock.
// With t0, also prints exit-ms, the time from the start to the child's end.
int waitFor(pid_t child, long long t0 = 0)
{
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (t0 != 0)
        std::printf("exit-ms %.3f\n", msSince(t0));
    const auto ms = [](const timeval &t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    std::printf("cpu-ms %.3f\n", ms(usage.ru_utime) + ms(usage.ru_stime));
    std::fflush(stdout);
    return status;
}

// Ends the program: the wrapper's children when there is a wrapper, else the child itself.
void endProgram(pid_t child, bool wrapped)
{
    if (!wrapped) {
        kill(child, SIGTERM);
        return;
    }
    std::ifstream list("/proc/" + std::to_string(child) + "/task/" + std::to_string(child) +
                       "/children");
    pid_t grandchild = 0;
    while (list >> grandchild)
        kill(grandchild, SIGTERM);
}

#ifdef BENCH_HAVE_X11

bool ignoredError = false;

// Windows may be gone by the time the watcher asks about them; that is no failure.
int ignoreErrors(Display *, XErrorEvent *)
{
    ignoredError = true;
    return 0;
}

std::string windowName(Display *display, Window window)
{
    static const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    for (Atom property : {netName, static_cast<Atom>(XA_WM_NAME)}) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(display, window, property, 0, 1024, False, AnyPropertyType, &type,
                               &format, &count, &after, &data) == Success &&
            data) {
            std::string name(reinterpret_cast<char *>(data), count);
            XFree(data);
            if (format == 8 && !name.empty())
                return name;
        }
    }
    return {};
}

int watchX11(const std::string &title, int timeoutS, bool wrapped, char **command)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_launch: cannot open display %s\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "(unset)");
        return 1;
    }
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "bench_launch: the X server has no DAMAGE extension\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    long long t0 = 0;
    const pid_t child = start(command, t0);
    Window target = None;
    double mapMs = -1.0, frameMs = -1.0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutS);

    while (frameMs < 0.0) {
        if (!XPending(display)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            int status = 0;
            if (left <= 0 || waitpid(child, &status, WNOHANG) == child) {
                std::fprintf(stderr, "bench_launch: no frame of \"%s\" seen\n", title.c_str());
                endProgram(child, wrapped);
                waitFor(child);
                return 1;
            }
            pollfd watched{ConnectionNumber(display), POLLIN, 0};
            poll(&watched, 1, static_cast<int>(std::min<long long>(left, 50)));
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            // Watched from birth: the first drawing can follow the mapping very closely.
            XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
        } else if (event.type == MapNotify && event.xmap.event == root && target == None) {
            if (windowName(display, event.xmap.window) == title) {
                target = event.xmap.window;
                mapMs = msSince(t0);
            }
        } else if (event.type == damageEvent + XDamageNotify) {
            const auto &damage = reinterpret_cast<XDamageNotifyEvent &>(event);
            if (target != None && damage.drawable == target)
                frameMs = msSince(t0);
            XDamageSubtract(display, damage.damage, None, None);
        }
    }
    std::printf("map-ms %.3f\nframe-ms %.3f\n", mapMs, frameMs);
    std::fflush(stdout);
    endProgram(child, wrapped);
    waitFor(child);
    XCloseDisplay(display);
    return 0;
}

#endif

int usage()
{
    std::fprintf(stderr, "usage: bench_launch [--wrapped] [--x11 TITLE] [--timeout SECONDS] "
                         "-- COMMAND [ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::string title;
    bool x11 = false, wrapped = false;
    int timeoutS = 20;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--") {
            ++i;
            break;
        }
        if (argument == "--wrapped") {
            wrapped = true;
        } else if (argument == "--x11" && i + 1 < argc) {
            x11 = true;
            title = argv[++i];
        } else if (argument == "--timeout" && i + 1 < argc) {
            timeoutS = std::atoi(argv[++i]);
        } else {
            return usage();
        }
    }
    if (i >= argc)
        return usage();
    char **command = argv + i;

    if (x11) {
#ifdef BENCH_HAVE_X11
        return watchX11(title, timeoutS, wrapped, command);
#else
        std::fprintf(stderr, "bench_launch: built without X11 and DAMAGE headers\n");
        return 1;
#endif
    }
    long long t0 = 0;
    const pid_t child = start(command, t0);
    const int status = waitFor(child, t0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
