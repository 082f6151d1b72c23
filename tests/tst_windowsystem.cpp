// SPDX-License-Identifier: MIT
// The main window on window systems that keep its position or its stacking to themselves
// (Wayland), and the centred first position, frame included, where the window system lets
// the program place its window.

#include "windowfixture.h"

#include "editor/core/twips.h"
#include "platform/windowsystem.h"

#include <QCheckBox>
#include <QScreen>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace {

// Collects what the process writes on standard error between construction and text().
class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        if (m_file.open()) {
            m_saved = dup(STDERR_FILENO);
            dup2(m_file.handle(), STDERR_FILENO);
        }
    }
    ~StderrCapture() { restore(); }

    QByteArray text()
    {
        restore();
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};

platform::WindowSystem wayland()
{
    return platform::windowSystemNamed("wayland");
}

// A key of section "RGB Tintora" as the file holds it now.
QString iniValue(const WindowFixture &f, const char *key)
{
    QFile file(f.settingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<no file>");
    bool inSection = false;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.startsWith('['))
            inSection = text == "[RGB Tintora]";
        else if (inSection && text.startsWith(QByteArray(key) + '='))
            return QString::fromLatin1(text.mid(qstrlen(key) + 1));
    }
    return QStringLiteral("<missing>");
}

// The centred position in twips as the program works it out: (outer - inner) / 2, a half to
// the even neighbour, for the whole window.
QPoint centredTwips(const QSize &outer)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    auto centre = [](long long outerSide, long long innerSide) {
        return static_cast<int>(hueloft::centredOffset(outerSide * 15, innerSide * 15));
    };
    return {centre(screen.width(), outer.width()), centre(screen.height(), outer.height())};
}

} // namespace

class tst_WindowSystem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void abilities_data();
    void abilities();
    void positionKeptWhereNotReported_data();
    void positionKeptWhereNotReported();
    void centredAxes_data();
    void centredAxes();
    void stayOnTopUnsupported_data();
    void stayOnTopUnsupported();
};

void tst_WindowSystem::abilities_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("places");
    QTest::addColumn<bool>("onTop");
    QTest::newRow("X11") << "xcb" << true << true;
    QTest::newRow("Windows") << "windows" << true << true;
    QTest::newRow("Wayland") << "wayland" << false << false;
    QTest::newRow("Wayland with EGL") << "wayland-egl" << false << false;
    QTest::newRow("Wayland under another name") << "wayland-xcomposite-glx" << false << false;
    QTest::newRow("not Wayland") << "waylandish" << true << true;
    QTest::newRow("offscreen") << "offscreen" << true << true;
}

void tst_WindowSystem::abilities()
{
    QFETCH(QString, platform);
    QFETCH(bool, places);
    QFETCH(bool, onTop);
    const platform::WindowSystem system = platform::windowSystemNamed(platform.toStdString());
    QCOMPARE(system.placesWindows, places);
    QCOMPARE(system.keepsWindowsOnTop, onTop);
    QCOMPARE(QString::fromStdString(system.name), platform);
}

// Wherever the window is moved, a compositor that reports no position must not cost the user
// the one that is stored.
void tst_WindowSystem::positionKeptWhereNotReported_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("centredLeft"); // the file has no Left: the default is written
    QTest::addColumn<bool>("centredTop");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");

    QTest::newRow("stored position")
        << QByteArray("[RGB Tintora]\nLeft=1890\nTop=1080\n") << false << false << "1890"
        << "1080";
    QTest::newRow("off the screen, negative")
        << QByteArray("[RGB Tintora]\nLeft=-300\nTop=-45\n") << false << false << "-300"
        << "-45";
    QTest::newRow("32-bit extremes")
        << QByteArray("[RGB Tintora]\nLeft=-2147483648\nTop=2147483647\n") << false << false
        << "-2147483648"
        << "2147483647";
    QTest::newRow("no file") << QByteArray() << true << true << ""
                             << "";
    QTest::newRow("only Top stored")
        << QByteArray("[RGB Tintora]\nTop=600\n") << true << false << ""
        << "600";
}

void tst_WindowSystem::positionKeptWhereNotReported()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, centredLeft);
    QFETCH(bool, centredTop);
    QFETCH(QString, left);
    QFETCH(QString, top);

    WindowFixture f;
    f.windowSystem = wayland();
    QVERIFY(f.start(file));
    // The defaults are those of the window as it was read, before any frame was known.
    const QPoint centred = centredTwips(f.window->size());
    if (centredLeft)
        left = QString::number(centred.x());
    if (centredTop)
        top = QString::number(centred.y());
    // What the window says about itself means nothing here; the file must not follow it.
    f.window->move(0, 0);
    QTRY_COMPARE(f.window->pos(), QPoint(0, 0));
    f.window->close();
    QCOMPARE(iniValue(f, "Left"), left);
    QCOMPARE(iniValue(f, "Top"), top);
}

// A window with no stored position is centred with its frame, and so is one stored at the
// centre without the frame (what a first run of an earlier version wrote). A stored axis is
// kept, and the missing axis beside it is centred by the window's size as it was read:
// moving the window again once framed could pull the stored axis back onto the screen.
void tst_WindowSystem::centredAxes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("storedLeft");
    QTest::addColumn<bool>("storedTop");
    QTest::addColumn<bool>("pulledBack"); // a stored axis off the screen: at its edge now

    const QPoint clientCentred = centredTwips(QSize(363, 441)); // the window at the design font
    QTest::newRow("neither stored") << QByteArray() << false << false << false;
    QTest::newRow("Left stored") << QByteArray("[RGB Tintora]\nLeft=600\n") << true << false << false;
    QTest::newRow("Top stored") << QByteArray("[RGB Tintora]\nTop=600\n") << false << true << false;
    QTest::newRow("Left stored, off the screen")
        << QByteArray("[RGB Tintora]\nLeft=-300\n") << true << false << true;
    QTest::newRow("Left stored, a pixel off the screen")
        << QByteArray("[RGB Tintora]\nLeft=-16\n") << true << false << true;
    QTest::newRow("Top stored, off the screen")
        << QByteArray("[RGB Tintora]\nTop=-3000\n") << false << true << true;
    QTest::newRow("both stored, centred without the frame")
        << QStringLiteral("[RGB Tintora]\nLeft=%1\nTop=%2\n")
               .arg(clientCentred.x())
               .arg(clientCentred.y())
               .toLatin1()
        << false << false << false;
    QTest::newRow("both stored, a twip beside that")
        << QStringLiteral("[RGB Tintora]\nLeft=%1\nTop=%2\n")
               .arg(clientCentred.x() + 1)
               .arg(clientCentred.y())
               .toLatin1()
        << true << true << false;
}

void tst_WindowSystem::centredAxes()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, storedLeft);
    QFETCH(bool, storedTop);
    QFETCH(bool, pulledBack);

    WindowFixture f;
    f.windowSystem = platform::windowSystemNamed("xcb");
    QVERIFY(f.start(file));
    const QSize outer = f.window->frameGeometry().size();
    QVERIFY2(outer != f.window->size(), "the platform gives the window no frame");
    const QPoint centred = centredTwips(storedLeft || storedTop ? f.window->size() : outer);
    // Read before the exit writes the file.
    if (pulledBack) {
        // The whole window, frame included, on the screen, the stored axis at its edge.
        QTRY_VERIFY(f.window->screen()->availableGeometry().contains(f.window->frameGeometry()));
        QCOMPARE(storedLeft ? f.window->x() : f.window->y(), 0);
    } else {
        const int left = storedLeft ? iniValue(f, "Left").toInt() : centred.x();
        const int top = storedTop ? iniValue(f, "Top").toInt() : centred.y();
        QTRY_COMPARE(f.window->pos(),
                     QPoint(hueloft::twipsToPixels(left), hueloft::twipsToPixels(top)));
    }
    f.window->close();
    QCOMPARE(iniValue(f, "Left"), QString::number(f.window->x() * 15));
    QCOMPARE(iniValue(f, "Top"), QString::number(f.window->y() * 15));
}

void tst_WindowSystem::stayOnTopUnsupported_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("clicks"); // on the box after start-up
    QTest::addColumn<int>("lines");  // on standard error
    QTest::addColumn<QString>("written");

    QTest::newRow("Wayland, stored on top")
        << "wayland" << QByteArray("[RGB Tintora]\nTopMost=1\n") << 0 << 1 << "1";
    QTest::newRow("Wayland, on and off and on") << "wayland" << QByteArray() << 3 << 1 << "1";
    QTest::newRow("Wayland, never on top") << "wayland" << QByteArray() << 0 << 0 << "0";
    QTest::newRow("Wayland, stored on top, then off")
        << "wayland" << QByteArray("[RGB Tintora]\nTopMost=1\n") << 1 << 1 << "0";
    QTest::newRow("X11, on") << "xcb" << QByteArray() << 1 << 0 << "1";
}

void tst_WindowSystem::stayOnTopUnsupported()
{
    QFETCH(QString, platform);
    QFETCH(QByteArray, file);
    QFETCH(int, clicks);
    QFETCH(int, lines);
    QFETCH(QString, written);

    StderrCapture capture;
    WindowFixture f;
    f.windowSystem = platform::windowSystemNamed(platform.toStdString());
    QVERIFY(f.start(file));
    auto *box = f.control<QCheckBox>("chkTop");
    for (int i = 0; i < clicks; ++i) {
        const bool before = box->isChecked();
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(box->isChecked(), !before);
        QCOMPARE(f.window->form().TopMost, box->isChecked() ? 1 : 0);
    }
    f.window->close();
    const QByteArray text = capture.text();
    QList<QByteArray> said;
    for (const QByteArray &line : text.split('\n')) {
        if (line.contains("on top"))
            said << line;
    }
    QCOMPARE(said.size(), lines);
    if (lines > 0) {
        QCOMPARE(text.count('\n'), 1);
        QCOMPARE(said.first(), QByteArray("hueloft: the window system (wayland) does not support "
                                          "keeping a window always on top"));
    }
    QCOMPARE(iniValue(f, "TopMost"), written);
}

QTEST_MAIN(tst_WindowSystem)
#include "tst_windowsystem.moc"
