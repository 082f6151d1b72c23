// SPDX-License-Identifier: MIT
// The main window's own costs, timed inside one process: a drag step of a scroll bar, the
// settings read at start-up and written at exit, and Copy Color Sample. Each sits beside the
// same job done by bare Qt or plain POSIX calls, timed in the same run.
//
//   bench_window [--runs N] [--steps N] [--dir FOLDER] [--only WHAT]
//
// Run it from a copy of the program's folder holding libswatchy.so and a full HUELOFT.INI,
// the template of every settings file it writes. The settings are read and written in FOLDER
// (default: "settings" beside the program), so that a disk and a memory file system can be
// compared. Prints one "name value" line per figure, in milliseconds, each the median of its
// runs. --only does one thing once, between the lines "begin" and "end" and with callgrind's
// instrumentation on around it alone: load, unload-new (no file yet), unload-color (the colour
// changed), unload-same (nothing changed), unload-linked (the colour changed in a file with a
// second hard link), drag (--steps steps), copy, none (start-up only); replace-base does the
// exit's yardstick once, a crash-safe replacement of the file.

#include "editor/externals/externals.h"
#include "editor/qt/mainwindow.h"
#include "editor/qt/systemsettings.h"
#include "editor/qt/numberbox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "bench_window: %s\n", what);
    std::exit(1);
}

// Counts the paint events one widget receives, to prove that a timed step really painted.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

void showAndSettle(QWidget &window)
{
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
           waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    if (!window.windowHandle() || !window.windowHandle()->isExposed())
        fail("the window was never exposed");
}

// One step of a drag: the thumb moves to the next position, the change runs its handler,
// and the pending repaint is carried out before the clock stops. Positions sweep 0..255 and
// back so that every step changes the value.
std::vector<double> dragSteps(QScrollBar *bar, QWidget *sample, int steps)
{
    PaintCounter painted(sample);
    bar->setSliderDown(true);
    std::vector<double> times;
    times.reserve(steps);
    int position = bar->value();
    int direction = position < 255 ? 1 : -1;
    for (int i = 0; i < steps; ++i) {
        if (position + direction < 0 || position + direction > 255)
            direction = -direction;
        position += direction;
        const auto start = Clock::now();
        bar->setSliderPosition(position);
        QApplication::processEvents();
        times.push_back(msBetween(start, Clock::now()));
    }
    bar->setSliderDown(false);
    QApplication::processEvents();
    if (painted.count < steps)
        fail("a drag step did not repaint the sample");
    return times;
}

// Which widgets paint, and how often, for the whole application: printed after a drag run
// with --only drag, to show what one step repaints.
class PaintCensus : public QObject
{
public:
    PaintCensus() { QCoreApplication::instance()->installEventFilter(this); }
    std::map<QString, int> counts;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const QString name = watched->objectName().isEmpty()
                                     ? QString::fromLatin1(watched->metaObject()->className())
                                     : watched->objectName();
            ++counts[name];
        }
        return false;
    }
};

// The same job done by bare Qt: a window of the editor's size with one scroll bar, a sample
// whose background follows it and two texts.
struct BareWindow
{
    QWidget window;
    QScrollBar *bar = new QScrollBar(Qt::Horizontal, &window);
    QLabel *sample = new QLabel(&window);
    QLabel *first = new QLabel(&window);
    QLabel *second = new QLabel(&window);

    BareWindow()
    {
        window.setWindowTitle(QStringLiteral("Bench Bare"));
        window.setFixedSize(290, 352);
        sample->setGeometry(8, 8, 274, 60);
        sample->setAutoFillBackground(true);
        first->setGeometry(8, 72, 130, 20);
        second->setGeometry(150, 72, 130, 20);
        bar->setGeometry(8, 100, 200, 17);
        bar->setRange(0, 255);
        QObject::connect(bar, &QScrollBar::valueChanged, sample, [this](int value) {
            QPalette palette = sample->palette();
            palette.setColor(QPalette::Window, QColor(value, 0, 0));
            sample->setPalette(palette);
            first->setText(QStringLiteral("RGB(%1,0,0)").arg(value));
            second->setText(QStringLiteral("&H0000%1&").arg(value, 2, 16, QLatin1Char('0')));
        });
    }
};

template<typename T> T *child(QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        fail("a control is missing from the main window");
    return found;
}

QString folder()
{
    return QApplication::applicationDirPath();
}

// Where the settings are read and written: --dir, else a folder "settings" beside the program.
QString g_settingsFolder;

QString settingsFile()
{
    return g_settingsFolder + QStringLiteral("/HUELOFT.INI");
}

// The settings file beside the program: a full file as one exit leaves it.
QByteArray templateText()
{
    QFile file(folder() + QStringLiteral("/HUELOFT.INI"));
    if (!file.open(QIODevice::ReadOnly))
        fail("no HUELOFT.INI beside the program");
    return file.readAll();
}

QByteArray settingsText()
{
    QFile file(settingsFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// How the values at exit differ from the file: every key new (no file yet), the colour
// changed, or nothing changed; or the colour changed in a file with a second hard link, which
// is written in place to keep the link.
enum class Exit { NewFile, ColorChanged, Unchanged, Linked };

// Puts the file in place as the scenario needs it, loads a window from it and changes what the
// scenario changes. The window is returned unclosed; it uses Functions and Settings to the end.
std::unique_ptr<MainWindow> preparedWindow(DeclaredFunctions &functions,
                                           SystemSettingsStore &settings, Exit exit, int run,
                                           int &red)
{
    QFile::remove(settingsFile());
    if (exit != Exit::NewFile) {
        QFile file(settingsFile());
        if (!file.open(QIODevice::WriteOnly) || file.write(templateText()) < 0)
            fail("cannot put the settings file in place");
    }
    const QString link = g_settingsFolder + QStringLiteral("/linked.ini");
    QFile::remove(link);
    if (exit == Exit::Linked
        && ::link(QFile::encodeName(settingsFile()), QFile::encodeName(link)) != 0)
        fail("cannot link the settings file");
    auto window = std::make_unique<MainWindow>(functions, settings);
    window->form().Form_Load();
    red = -1;
    if (exit != Exit::Unchanged) {
        red = 100 + run % 100;
        window->form().ApplyColor(red, red + 1, red + 2);
    }
    return window;
}

// The whole exit: close() runs Form_Unload, which writes the nine keys and has swatchy write
// the sixteen custom colours.
double timedUnload(Exit exit, int run)
{
    DeclaredFunctions functions({QFile::encodeName(folder()).toStdString(), {}});
    SystemSettingsStore settings(QFile::encodeName(g_settingsFolder).toStdString());
    int red = 0;
    auto window = preparedWindow(functions, settings, exit, run, red);
    const auto start = Clock::now();
    window->close();
    const double ms = msBetween(start, Clock::now());
    const QByteArray text = settingsText();
    if (red >= 0 && !text.contains("Red=" + QByteArray::number(red) + '\n'))
        fail("closing the window did not write the colour");
    if (!text.contains("RGB_Color_15="))
        fail("closing the window did not write the custom colours");
    return ms;
}

double timedLoad()
{
    DeclaredFunctions functions({QFile::encodeName(folder()).toStdString(), {}});
    SystemSettingsStore settings(QFile::encodeName(g_settingsFolder).toStdString());
    MainWindow window(functions, settings);
    const auto start = Clock::now();
    window.form().Form_Load();
    return msBetween(start, Clock::now());
}

// One crash-safe replacement of a file of the same text: the unit that the exit repeats.
double timedReplacement(const QByteArray &text)
{
    const std::string path =
        (g_settingsFolder + QStringLiteral("/bench-replacement.ini")).toStdString();
    const std::string temporary = path + ".tmp";
    const auto start = Clock::now();
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, text.constData(), text.size()) != text.size() || ::fsync(fd) != 0)
        fail("cannot write the replacement file");
    ::close(fd);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        fail("cannot rename the replacement file");
    const int dirFd =
        ::open(g_settingsFolder.toStdString().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(dirFd);
    ::close(dirFd);
    return msBetween(start, Clock::now());
}

double timedWholeRead()
{
    const auto start = Clock::now();
    const QByteArray text = settingsText();
    const double ms = msBetween(start, Clock::now());
    if (text.isEmpty())
        fail("HUELOFT.INI is empty");
    return ms;
}

double timedCopy(QPushButton *button)
{
    const auto start = Clock::now();
    button->click();
    QApplication::processEvents();
    return msBetween(start, Clock::now());
}

double timedBareCopy()
{
    const auto start = Clock::now();
    QImage sample(256, 256, QImage::Format_RGB32);
    sample.fill(QColor(1, 2, 3));
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setImage(sample);
    if (!clipboard->mimeData() || !clipboard->mimeData()->hasImage())
        fail("the clipboard did not take the bare image");
    return msBetween(start, Clock::now());
}

std::vector<double> repeat(int runs, const std::function<double(int)> &step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(step(i));
    return times;
}

void print(const char *name, double value)
{
    std::printf("%s %.4f\n", name, value);
    std::fflush(stdout);
}

void checkCopiedSample()
{
    const QImage copied = QGuiApplication::clipboard()->image();
    if (copied.width() != 256 || copied.height() != 256)
        fail("the copied sample is not 256 x 256");
}

void putTemplateInPlace()
{
    QFile::remove(settingsFile());
    QFile file(settingsFile());
    if (!file.open(QIODevice::WriteOnly) || file.write(templateText()) < 0)
        fail("cannot put the settings file in place");
}

// One thing alone, once, for strace and callgrind.
int runOnly(const QString &only, int steps)
{
    DeclaredFunctions functions({QFile::encodeName(folder()).toStdString(), {}});
    const struct
    {
        const char *name;
        Exit exit;
    } exits[] = {{"unload-new", Exit::NewFile},
                 {"unload-color", Exit::ColorChanged},
                 {"unload-same", Exit::Unchanged},
                 {"unload-linked", Exit::Linked}};
    for (const auto &known : exits) {
        if (only == QLatin1String(known.name)) {
            SystemSettingsStore settings(QFile::encodeName(g_settingsFolder).toStdString());
            int red = 0;
            auto window = preparedWindow(functions, settings, known.exit, 0, red);
            std::printf("begin\n");
            std::fflush(stdout);
            CALLGRIND_START_INSTRUMENTATION;
            window->close();
            CALLGRIND_STOP_INSTRUMENTATION;
            std::printf("end\n");
            std::fflush(stdout);
            return 0;
        }
    }
    putTemplateInPlace();
    if (only == QLatin1String("replace-base")) { // the yardstick of the exit, once
        timedReplacement(templateText());
        return 0;
    }
    SystemSettingsStore settings(QFile::encodeName(g_settingsFolder).toStdString());
    MainWindow window(functions, settings);
    if (only == QLatin1String("load")) {
        std::printf("begin\n");
        std::fflush(stdout);
        CALLGRIND_START_INSTRUMENTATION;
        window.form().Form_Load();
        CALLGRIND_STOP_INSTRUMENTATION;
        std::printf("end\n");
        std::fflush(stdout);
        return 0;
    }
    if (only != QLatin1String("drag") && only != QLatin1String("copy"))
        fail("unknown --only");
    window.form().Form_Load();
    showAndSettle(window);
    if (only == QLatin1String("copy")) {
        child<NumberBox>(window, "ediSwatch0")->showText(QStringLiteral("256"));
        child<NumberBox>(window, "ediSwatch1")->showText(QStringLiteral("256"));
    }
    PaintCensus census;
    CALLGRIND_START_INSTRUMENTATION;
    if (only == QLatin1String("drag"))
        dragSteps(child<QScrollBar>(window, "hsbColor0"), child<QLabel>(window, "cpRGB"), steps);
    else
        timedCopy(child<QPushButton>(window, "cmdCopySample"));
    CALLGRIND_STOP_INSTRUMENTATION;
    for (const auto &[name, count] : census.counts)
        std::printf("painted %s %d\n", qPrintable(name), count);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hueloft"));
    QApplication::setApplicationDisplayName(QStringLiteral("RGB Tintora"));
    int runs = 21, steps = 2001;
    QString only;
    g_settingsFolder = folder() + QStringLiteral("/settings");
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (argument == QLatin1String("--steps") && i + 1 < argc)
            steps = std::max(1, std::atoi(argv[++i]));
        else if (argument == QLatin1String("--only") && i + 1 < argc)
            only = QString::fromLocal8Bit(argv[++i]);
        else if (argument == QLatin1String("--dir") && i + 1 < argc)
            g_settingsFolder = QString::fromLocal8Bit(argv[++i]);
        else
            fail("usage: bench_window [--runs N] [--steps N] [--dir FOLDER] [--only none|load|"
                 "unload-new|unload-color|unload-same|unload-linked|replace-base|drag|copy]");
    }
    if (!QDir().mkpath(g_settingsFolder))
        fail("cannot make the settings folder");

    if (only == QLatin1String("none"))
        return 0;
    if (!only.isEmpty())
        return runOnly(only, steps);

    // Settings: the bare file work first, then the window's.
    putTemplateInPlace();
    const QByteArray text = templateText();
    print("read-base-ms", median(repeat(runs, [](int) { return timedWholeRead(); })));
    print("load-ms", median(repeat(runs, [](int) { return timedLoad(); })));
    print("replace-base-ms", median(repeat(runs, [&](int) { return timedReplacement(text); })));
    QFile::remove(g_settingsFolder + QStringLiteral("/bench-replacement.ini"));
    print("unload-new-ms",
          median(repeat(runs, [](int run) { return timedUnload(Exit::NewFile, run); })));
    print("unload-color-ms",
          median(repeat(runs, [](int run) { return timedUnload(Exit::ColorChanged, run); })));
    print("unload-same-ms",
          median(repeat(runs, [](int run) { return timedUnload(Exit::Unchanged, run); })));
    print("unload-linked-ms",
          median(repeat(runs, [](int run) { return timedUnload(Exit::Linked, run); })));
    QFile::remove(g_settingsFolder + QStringLiteral("/linked.ini"));
    putTemplateInPlace();

    // Drag: bare Qt, then the editor, each shown and settled first.
    {
        BareWindow bare;
        showAndSettle(bare.window);
        print("drag-base-ms", median(dragSteps(bare.bar, bare.sample, steps)));
    }
    DeclaredFunctions functions({QFile::encodeName(folder()).toStdString(), {}});
    SystemSettingsStore settings(QFile::encodeName(g_settingsFolder).toStdString());
    MainWindow window(functions, settings);
    window.form().Form_Load();
    showAndSettle(window);
    print("drag-ms", median(dragSteps(child<QScrollBar>(window, "hsbColor0"),
                                      child<QLabel>(window, "cpRGB"), steps)));

    // Copy Color Sample at 256 x 256.
    print("copy-base-ms", median(repeat(runs, [](int) { return timedBareCopy(); })));
    child<NumberBox>(window, "ediSwatch0")->showText(QStringLiteral("256"));
    child<NumberBox>(window, "ediSwatch1")->showText(QStringLiteral("256"));
    auto *copy = child<QPushButton>(window, "cmdCopySample");
    print("copy-ms", median(repeat(runs, [copy](int) { return timedCopy(copy); })));
    checkCopiedSample();
    return 0;
}
