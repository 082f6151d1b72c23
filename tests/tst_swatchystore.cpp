// SPDX-License-Identifier: MIT
// The library swatchy without its dialog: the custom colour store and its INI section, the
// exported names, and ShowColorDialog where no widget can exist. The built library is loaded
// by path, as the editor loads it.

#include "swatchyexports.h"

#include "platform/profile.h"

#include "swatchy/swatchy.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cstdio>

#include <unistd.h>

namespace {

using Colors = std::array<std::uint32_t, 16>;

// A file whose "Custom Colors" section holds these sixteen values, in signed decimal.
QByteArray sectionText(const Colors &colors)
{
    QByteArray text = "[Custom Colors]\n";
    for (int i = 0; i < 16; ++i)
        text += "RGB_Color_" + QByteArray::number(i) + '=' + QByteArray::number(qint32(colors[i])) +
                '\n';
    return text;
}

// The sixteen values as signed decimals, one blank apart.
QString describe(const Colors &colors)
{
    QStringList values;
    for (std::uint32_t color : colors)
        values << QString::number(qint32(color));
    return values.join(QLatin1Char(' '));
}

// The sixteen values of the file's section, read here without the profile layer and described
// like the above; a key that is missing or occurs twice is named instead.
QString valuesIn(const QString &path)
{
    Colors colors{};
    std::array<int, 16> seen{};
    bool inSection = false;
    static const QRegularExpression key(QStringLiteral("^RGB_Color_(\\d+)=(-?\\d+)$"));
    const QList<QByteArray> lines = readFile(path).split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith('[')) {
            inSection = line == "[Custom Colors]";
            continue;
        }
        const auto match = key.match(QString::fromLatin1(line));
        if (!inSection || !match.hasMatch() || match.captured(1).toInt() > 15)
            continue;
        const int index = match.captured(1).toInt();
        colors[index] = std::uint32_t(match.captured(2).toInt());
        ++seen[index];
    }
    for (int i = 0; i < 16; ++i) {
        if (seen[i] != 1)
            return QStringLiteral("RGB_Color_%1 occurs %2 times").arg(i).arg(seen[i]);
    }
    return describe(colors);
}

const Colors distinctColors = {0x000001, 0x000200, 0x030000, 0x0A0B0C, 0x101010, 0xFFFFFF,
                               0x00FF00, 0x0000FF, 0xFF0000, 0x123456, 0x654321, 0x7F7F7F,
                               0x808080, 0xABCDEF, 0xFEDCBA, 0x010203};

} // namespace

Q_DECLARE_METATYPE(Colors)

// The library's writes are held by the profile layer until a flush, as the editor's exit
// makes one; these checks read the file right after each save.
static void flushAll()
{
    platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
}

class tst_SwatchyStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void load_data();
    void load();
    void saveFreshFile();
    void saveKeepsTheRestOfTheFile();
    void saveWithoutLoad();
    void nullPathAndFailedWrite();
    void exportedNames();
    void showWithoutApplication_data();
    void showWithoutApplication();

private:
    // Fills the store with values no test expects, so that a load has to overwrite them all.
    void fillStore();
    QString path(const QString &name) const { return m_dir.filePath(name); }

    Swatchy m_swatchy;
    QTemporaryDir m_dir;
};

void tst_SwatchyStore::initTestCase()
{
    QVERIFY(m_swatchy.open());
    QVERIFY(m_dir.isValid());
}

void tst_SwatchyStore::init()
{
    fillStore();
}

void tst_SwatchyStore::fillStore()
{
    const QString filled = path(QStringLiteral("filled.ini"));
    writeFile(filled, sectionText(distinctColors));
    m_swatchy.load(QFile::encodeName(filled).constData());
}

void tst_SwatchyStore::load_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<Colors>("expected");

    QTest::newRow("no file") << QByteArray() << Colors{};
    QTest::newRow("no section") << QByteArray("[RGB Color]\nRed=255\nRGB_Color_3=255\n")
                                << Colors{};
    QTest::newRow("only entry 3") << QByteArray("[Custom Colors]\nRGB_Color_3=255\n")
                                  << Colors{0, 0, 0, 255};
    QTest::newRow("keys that are not entries")
        << QByteArray("[Custom Colors]\nRGB_Color_16=5\nRGB_Color_03=7\nRGB_Color_=9\n"
                      "RGB_Color_1 0=4\nRGB_Color_-1=8\n")
        << Colors{};
    QTest::newRow("two-digit keys")
        << QByteArray("[Custom Colors]\nRGB_Color_1=1\nRGB_Color_10=10\nRGB_Color_15=15\n")
        << Colors{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 15};
    QTest::newRow("other sections apart")
        << QByteArray("[Other]\nRGB_Color_1=5\n[Custom Colors]\nRGB_Color_2=6\n[Last]\n"
                      "RGB_Color_4=7\n")
        << Colors{0, 0, 6};
    QTest::newRow("any 32-bit value")
        << QByteArray("[Custom Colors]\nRGB_Color_0=16777215\nRGB_Color_1=-1\n"
                      "RGB_Color_2=2147483647\nRGB_Color_3=-2147483648\nRGB_Color_4=-15584170\n"
                      "RGB_Color_5=16777216\n")
        << Colors{0xFFFFFF, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 0xFF123456, 0x1000000};
}

void tst_SwatchyStore::load()
{
    QFETCH(QByteArray, file);
    QFETCH(Colors, expected);

    const QString source = path(QStringLiteral("load.ini"));
    QFile::remove(source);
    if (!file.isEmpty())
        writeFile(source, file);
    m_swatchy.load(QFile::encodeName(source).constData());
    QCOMPARE(readFile(source), file); // loading writes nothing

    const QString saved = path(QStringLiteral("load-saved.ini"));
    QFile::remove(saved);
    m_swatchy.save(QFile::encodeName(saved).constData());
    flushAll();
    QCOMPARE(valuesIn(saved), describe(expected));
}

void tst_SwatchyStore::saveFreshFile()
{
    const QString source = path(QStringLiteral("fresh-source.ini"));
    writeFile(source, "[Custom Colors]\nRGB_Color_0=16777215\nRGB_Color_1=255\n");
    m_swatchy.load(QFile::encodeName(source).constData());

    const QString fresh = path(QStringLiteral("fresh.ini"));
    QFile::remove(fresh);
    m_swatchy.save(QFile::encodeName(fresh).constData());
    flushAll();

    QByteArray expected = "[Custom Colors]\nRGB_Color_0=16777215\nRGB_Color_1=255\n";
    for (int i = 2; i < 16; ++i)
        expected += "RGB_Color_" + QByteArray::number(i) + "=0\n";
    QCOMPARE(readFile(fresh), expected);
}

void tst_SwatchyStore::saveKeepsTheRestOfTheFile()
{
    const QString file = path(QStringLiteral("shared.ini"));
    const QByteArray before = "[RGB Color]\nRed=12\n[Custom Colors]\nRGB_Color_2=99\n"
                              "Note=kept\nRGB_Color_16=3\n[RGB Tintora]\nTopMost=1\n";
    writeFile(file, before);
    m_swatchy.save(QFile::encodeName(file).constData());
    flushAll();

    // Colour 2 was not changed since the load: the file's own value (another copy's) stays.
    Colors expected = distinctColors;
    expected[2] = 99;
    QCOMPARE(valuesIn(file), describe(expected));
    const QByteArray after = readFile(file);
    // Every line that is not one of the sixteen keys is still there, in its order.
    QByteArray others;
    for (const QByteArray &line : after.split('\n')) {
        if (!QRegularExpression(QStringLiteral("^RGB_Color_([0-9]|1[0-5])="))
                 .match(QString::fromLatin1(line))
                 .hasMatch())
            others += line + '\n';
    }
    QCOMPARE(others, QByteArray("[RGB Color]\nRed=12\n[Custom Colors]\nNote=kept\n"
                                "RGB_Color_16=3\n[RGB Tintora]\nTopMost=1\n\n"));
}

void tst_SwatchyStore::saveWithoutLoad()
{
    // Only a process that has never loaded the store can show its initial state.
    const QString fresh = path(QStringLiteral("never-loaded.ini"));
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QStringLiteral("save"), fresh});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(readFile(fresh), sectionText(Colors{}));
}

void tst_SwatchyStore::nullPathAndFailedWrite()
{
    m_swatchy.load(nullptr);
    m_swatchy.save(nullptr);
    flushAll();

    // The failed save says so in one line naming the file and the reason.
    const QString unwritable = path(QStringLiteral("no-such-folder/HUELOFT.INI"));
    const QString said = path(QStringLiteral("stderr.txt"));
    std::fflush(stderr);
    const int saved_stderr = ::dup(STDERR_FILENO);
    QVERIFY(std::freopen(QFile::encodeName(said).constData(), "w", stderr));
    m_swatchy.save(QFile::encodeName(unwritable).constData());
    std::fflush(stderr);
    ::dup2(saved_stderr, STDERR_FILENO);
    ::close(saved_stderr);
    flushAll();
    QVERIFY(!QFile::exists(unwritable));
    QCOMPARE(readFile(said), "swatchy: custom colours not saved: cannot write " +
                                 QFile::encodeName(unwritable) + ": No such file or directory\n");

    // Neither call touched the store.
    const QString saved = path(QStringLiteral("after-null.ini"));
    QFile::remove(saved);
    m_swatchy.save(QFile::encodeName(saved).constData());
    flushAll();
    QCOMPARE(valuesIn(saved), describe(distinctColors));
}

void tst_SwatchyStore::exportedNames()
{
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"),
                                    QStringLiteral(SWATCHY_LIBRARY)});
    QVERIFY(nm.waitForFinished(30000));
    QCOMPARE(nm.exitCode(), 0);
    QStringList names;
    const QStringList lines = QString::fromLocal8Bit(nm.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        names << fields.mid(1).join(QLatin1Char(' '));
    }
    names.sort();
    QCOMPARE(names, QStringList({QStringLiteral("T LoadCustomColors"),
                                 QStringLiteral("T SaveCustomColors"),
                                 QStringLiteral("T ShowColorDialog")}));
}

void tst_SwatchyStore::showWithoutApplication_data()
{
    QTest::addColumn<bool>("anyApplication");
    QTest::newRow("QCoreApplication only") << true;
    QTest::newRow("no application object") << false;
}

void tst_SwatchyStore::showWithoutApplication()
{
    QFETCH(bool, anyApplication);
    const std::uint32_t color = 0xFF123456;
    std::uint32_t result = 0;
    if (anyApplication) {
        result = m_swatchy.show(color, 0);
    } else {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), QStringLiteral("show")});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        bool ok = false;
        result = child.readAllStandardOutput().trimmed().toUInt(&ok, 16);
        QVERIFY(ok);
    }
    QCOMPARE(result, color);
}

// The scenarios that need a process of their own, run without any Qt application object.
static int runChild(const QByteArray &scenario, const char *argument)
{
    Swatchy swatchy;
    if (!swatchy.open())
        return 2;
    if (scenario == "save" && argument) {
        swatchy.save(argument);
        return 0;
    }
    if (scenario == "show") {
        std::printf("%08x\n", unsigned(swatchy.show(0xFF123456, 0x1234)));
        return 0;
    }
    return 3;
}

int main(int argc, char *argv[])
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argv[2], argc >= 4 ? argv[3] : nullptr);
    QCoreApplication app(argc, argv);
    tst_SwatchyStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_swatchystore.moc"
