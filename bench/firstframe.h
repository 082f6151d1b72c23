// SPDX-License-Identifier: MIT
#pragma once

// Shared by the start-up programs of the benchmarks: ends the program once its first frame is
// on screen and tells how long that took since the launcher started it.
//
// The launcher (bench_launch) puts its CLOCK_MONOTONIC reading, taken just before fork(), into
// BENCH_T0_NS; the clock is the machine's, so the child can subtract it from its own reading.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace bench {

inline double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Milliseconds since the launcher's fork, or since nothing (a negative figure) without one.
inline double sinceLaunchMs()
{
    const char *t0 = std::getenv("BENCH_T0_NS");
    if (!t0 || !*t0)
        return -1.0;
    return monotonicMs() - double(std::strtoll(t0, nullptr, 10)) / 1e6;
}

// Watches one top-level widget. Its first Paint event is painted into the backing store; the
// frame reaches the screen when the update request that sent it has finished, which a
// zero-time timer started from inside it waits for. Then the figure is printed and the event
// loop left.
class QuitAfterFirstFrame : public QObject
{
public:
    explicit QuitAfterFirstFrame(QWidget *window)
        : m_window(window)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            m_paintMs = sinceLaunchMs();
            QTimer::singleShot(0, this, [this] {
                std::printf("first-paint-ms %.3f\nfirst-frame-ms %.3f\n", m_paintMs,
                            sinceLaunchMs());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_painted = false;
    double m_paintMs = 0.0;
};

// BENCH_STAY=1 keeps the program running after its first frame, for a launcher that watches
// from outside and ends it itself.
inline bool staysAfterFirstFrame()
{
    const char *stay = std::getenv("BENCH_STAY");
    return stay && *stay == '1';
}

// Shows Window and runs the event loop until its first frame (or for as long as it is open,
// when the first frame is not to end the run); returns the loop's result.
inline int showUntilFirstFrame(QWidget &window)
{
    QuitAfterFirstFrame *quitter = nullptr;
    if (!staysAfterFirstFrame())
        quitter = new QuitAfterFirstFrame(&window);
    window.show();
    const int result = QCoreApplication::exec();
    delete quitter;
    return result;
}

} // namespace bench
