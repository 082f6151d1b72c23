// SPDX-License-Identifier: MIT
// Faults and bad input: a settings file that cannot be written at exit, an exit killed halfway,
// two editors exiting together, a linked file, huge and garbled files, a missing or incomplete
// swatchy, and anything a person can paste into the five number boxes or put in the file.
//
// The exit sequences that must run in a process of their own (as another user, under a file
// size limit, killed) use faults_editor, the editor closed through its standard input.

#include "windowfixture.h"

#include "platform/profile.h"
#include "tests/reachablecopy.h"

#include <QCheckBox>
#include <QFile>
#include <QClipboard>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QThread>

#include <grp.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>

namespace {

constexpr uid_t kNobody = 65534;

// The keys the editor and the library write, in the order of the exit sequence.
struct OwnedKey
{
    const char *section;
    const char *key;
};
QList<OwnedKey> ownedKeys()
{
    QList<OwnedKey> keys = {
        {"RGB Tintora", "Top"},        {"RGB Tintora", "Left"}, {"RGB Tintora", "TopMost"},
        {"RGB Tintora", "HexaFormat"}, {"RGB Sample", "Width"}, {"RGB Sample", "Height"},
        {"RGB Color", "Red"},          {"RGB Color", "Green"},  {"RGB Color", "Blue"},
    };
    static QList<QByteArray> customKeys;
    if (customKeys.isEmpty()) {
        for (int i = 0; i < 16; ++i)
            customKeys.append("RGB_Color_" + QByteArray::number(i));
    }
    for (const QByteArray &key : customKeys)
        keys.append(OwnedKey{"Custom Colors", key.constData()});
    return keys;
}
const int kEditorKeyCount = 9;

// Under the sanitizers everything runs many times slower: no time limits, smaller big files.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Lines as the profile functions see them: CR, LF and CRLF all end a line.
QList<QByteArray> profileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n' || bytes[i] == '\r') {
            if (i > start)
                lines.append(bytes.mid(start, i - start));
            start = i + 1;
        }
    }
    return lines;
}

QByteArray trimmedBlanks(const QByteArray &text)
{
    qsizetype begin = 0, end = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Whether a line is a key or section header that the exit sequence may write.
bool isOwnedLine(const QByteArray &line)
{
    const QByteArray text = trimmedBlanks(line);
    if (text.startsWith('[')) {
        const QByteArray name = trimmedBlanks(text.mid(1, text.indexOf(']') - 1)).toLower();
        return name == "rgb tintora" || name == "rgb sample" || name == "rgb color" ||
               name == "custom colors";
    }
    const qsizetype equals = text.indexOf('=');
    if (equals <= 0)
        return false;
    const QByteArray key = trimmedBlanks(text.left(equals)).toLower();
    for (const OwnedKey &owned : ownedKeys()) {
        if (key == QByteArray(owned.key).toLower())
            return true;
    }
    return false;
}

// Every line the exit sequence does not own, in order.
QList<QByteArray> foreignLines(const QByteArray &bytes)
{
    QList<QByteArray> kept;
    for (const QByteArray &line : profileLines(bytes)) {
        if (!isOwnedLine(line))
            kept.append(line);
    }
    return kept;
}

// The value of Section/Key as a reader of the file sees it (first section, first key), or
// nullopt.
std::optional<QByteArray> iniValue(const QByteArray &bytes, const char *section, const char *key)
{
    bool inSection = false, sectionSeen = false;
    for (const QByteArray &line : profileLines(bytes)) {
        const QByteArray text = trimmedBlanks(line);
        if (text.startsWith('[')) {
            if (sectionSeen && inSection)
                return std::nullopt;
            const qsizetype close = text.indexOf(']');
            inSection = trimmedBlanks(text.mid(1, close < 0 ? -1 : close - 1)).toLower() ==
                        QByteArray(section).toLower();
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        const qsizetype equals = text.indexOf('=');
        if (inSection && equals > 0 &&
            trimmedBlanks(text.left(equals)).toLower() == QByteArray(key).toLower())
            return trimmedBlanks(text.mid(equals + 1));
    }
    return std::nullopt;
}

QMap<QString, QByteArray> ownedValues(const QByteArray &bytes)
{
    QMap<QString, QByteArray> values;
    for (const OwnedKey &owned : ownedKeys()) {
        if (const auto value = iniValue(bytes, owned.section, owned.key))
            values.insert(QString::fromLatin1(owned.key), *value);
    }
    return values;
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Standard error of this process, caught in a file while a piece of the test runs.
class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        if (m_file.open()) {
            m_saved = ::dup(STDERR_FILENO);
            ::dup2(m_file.handle(), STDERR_FILENO);
        }
    }
    ~StderrCapture() { finish(); }
    QByteArray finish()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
            m_file.seek(0);
            m_text = m_file.readAll();
        }
        return m_text;
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
    QByteArray m_text;
};

QList<QByteArray> nonEmptyLines(const QByteArray &text)
{
    QList<QByteArray> lines;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

// How a child editor is run.
struct ChildSetup
{
    bool asNobody = false;
    rlim_t fileSizeLimit = RLIM_INFINITY;
    QString configHome; // XDG_CONFIG_HOME, when not the test's own
};

// A desktop session has a private runtime folder; without one Qt says so on standard error,
// which would hide whether the editor's own report is its only line there.
QString runtimeFolder(bool asNobody)
{
    static QTemporaryDir root;
    const QString folder =
        root.filePath(asNobody ? QStringLiteral("nobody") : QStringLiteral("root"));
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
        ::chmod(qPrintable(root.path()), 0755);
        ::chmod(qPrintable(folder), 0700);
        if (asNobody && ::chown(qPrintable(folder), kNobody, kNobody) != 0)
            qWarning("cannot give %s to nobody", qPrintable(folder));
    }
    return folder;
}

// faults_editor on Folder, shown and waiting for its close.
std::unique_ptr<QProcess> startEditor(const QString &folder, ChildSetup setup = {})
{
    auto process = std::make_unique<QProcess>();
    // As root, copies the user nobody can run too, wherever the build lies.
    static const QString copies = reachableCopies(
        {QStringLiteral(FAULTS_EDITOR "=faults_editor"),
         QStringLiteral(HUELOFT_BIN_DIR "/libswatchy.so=bin/libswatchy.so"),
         QStringLiteral(HUELOFT_BIN_DIR "/libhueloft-profile.so=bin/libhueloft-profile.so")});
    process->setProgram(copies.isEmpty() ? QStringLiteral(FAULTS_EDITOR)
                                         : copies + QStringLiteral("/faults_editor"));
    process->setArguments({folder, copies.isEmpty() ? QStringLiteral(HUELOFT_BIN_DIR)
                                                    : copies + QStringLiteral("/bin")});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder(setup.asNobody));
    if (!setup.configHome.isEmpty())
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), setup.configHome);
    process->setProcessEnvironment(environment);
    process->setChildProcessModifier([setup] {
        if (setup.fileSizeLimit != RLIM_INFINITY) {
            // A write past the limit then fails with EFBIG instead of killing the process,
            // as a full disk fails with ENOSPC.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(126);
        }
        if (setup.asNobody) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                ::setresuid(kNobody, kNobody, kNobody) != 0)
                ::_exit(126);
        }
    });
    process->start();
    if (!process->waitForStarted(5000))
        return nullptr;
    QElapsedTimer timer;
    timer.start();
    while (!process->canReadLine() && timer.elapsed() < 10000) {
        if (!process->waitForReadyRead(10000 - int(timer.elapsed())))
            break;
    }
    if (!process->canReadLine() || process->readLine().trimmed() != "ready") {
        process->kill();
        process->waitForFinished();
        qWarning() << "editor did not start:" << process->readAllStandardError();
        return nullptr;
    }
    return process;
}

// Asks the editor to close (its normal exit) and waits for it to end.
bool closeEditor(QProcess &process)
{
    process.write("\n");
    process.closeWriteChannel();
    return process.waitForFinished(20000);
}

} // namespace

class tst_Faults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void unwritableAtExit_data();
    void unwritableAtExit();
    void killedDuringExit();
    void twoEditorsExitTogether();
    void notRegularSettingsFile_data();
    void notRegularSettingsFile();
    void linkedSettingsFile_data();
    void linkedSettingsFile();
    void oddSettingsFiles_data();
    void oddSettingsFiles();
    void incompleteLibrary_data();
    void incompleteLibrary();
    void pastedText_data();
    void pastedText();
    void storedValues_data();
    void storedValues();

private:
    // The file a solo run of the editor leaves when it starts from Start and exits normally.
    // The file an editor leaves that starts on Start, is given Commands and exits.
    QByteArray soloRun(const QByteArray &start, const QByteArray &commands = {});
    bool m_canBecomeNobody = false;
};

void tst_Faults::initTestCase()
{
    QVERIFY2(QFileInfo(QStringLiteral(FAULTS_EDITOR)).isExecutable(), FAULTS_EDITOR);
    // Root's writes ignore permission bits, so the read-only cases run the editor as nobody.
    QProcess probe;
    probe.setProgram(QStringLiteral("/bin/true"));
    probe.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
            ::_exit(1);
    });
    probe.start();
    m_canBecomeNobody = probe.waitForFinished() && probe.exitCode() == 0 && ::geteuid() == 0;
}

QByteArray tst_Faults::soloRun(const QByteArray &start, const QByteArray &commands)
{
    QTemporaryDir folder;
    if (!writeBytes(folder.filePath(QStringLiteral("HUELOFT.INI")), start))
        return {};
    auto editor = startEditor(folder.path());
    if (!editor)
        return {};
    editor->write(commands);
    if (!closeEditor(*editor))
        return {};
    return readBytes(folder.filePath(QStringLiteral("HUELOFT.INI")));
}

// ---------------------------------------------------------------------------------------------
// The settings file cannot be written at exit: the old file stays as it was, the editor ends
// normally and says so in one line. A portable copy's file that this user cannot write is
// left alone from the start: the per-user file takes its values and the settings, said once.

enum class Fault {
    ReadOnlyFile,
    ReadOnlyFolder,
    FileIsFolder,
    FolderVanished,
    FullDisk,
    TooLarge,
    ReadOnlyConfigHome
};

void tst_Faults::unwritableAtExit_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QByteArray>("reason"); // in the one line
    QTest::newRow("read-only file, as nobody")
        << Fault::ReadOnlyFile << QByteArray("Permission denied");
    // The file can be written, the folder cannot take a copy beside it: saved in place.
    QTest::newRow("read-only folder, as nobody") << Fault::ReadOnlyFolder << QByteArray();
    QTest::newRow("HUELOFT.INI is a folder")
        << Fault::FileIsFolder << QByteArray("it is a folder, not a regular file");
    QTest::newRow("folder removed while running")
        << Fault::FolderVanished << QByteArray("No such file or directory");
    QTest::newRow("file size limit (full disk)") << Fault::FullDisk << QByteArray("File too large");
    QTest::newRow("64 GB sparse file")
        << Fault::TooLarge
        << QByteArray("too large");
    QTest::newRow("read-only XDG_CONFIG_HOME, as nobody")
        << Fault::ReadOnlyConfigHome << QByteArray("/hueloft: Permission denied");
}

void tst_Faults::unwritableAtExit()
{
    QFETCH(Fault, fault);
    QFETCH(QByteArray, reason);
    ChildSetup setup;
    if (fault == Fault::ReadOnlyFile || fault == Fault::ReadOnlyFolder ||
        fault == Fault::ReadOnlyConfigHome) {
        if (!m_canBecomeNobody)
            QSKIP("cannot run the editor as the user nobody here (not root, or no such user)");
        setup.asNobody = true;
    }

    QTemporaryDir top;
    QVERIFY(top.isValid());
    const QString folder = top.filePath(QStringLiteral("prog"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/HUELOFT.INI");
    // Only part of the keys: the exit sequence must write, not find everything already there.
    const QByteArray old =
        "; kept\n[RGB Color]\nRed=10\n[Mine]\nnote=" + QByteArray(200, 'x') + "\n";

    switch (fault) {
    case Fault::ReadOnlyFile:
        QVERIFY(writeBytes(path, old));
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(::chmod(qPrintable(folder), 0777) == 0);
        break;
    case Fault::ReadOnlyFolder:
        QVERIFY(writeBytes(path, old));
        QVERIFY(::chmod(qPrintable(path), 0666) == 0);
        QVERIFY(::chmod(qPrintable(folder), 0555) == 0);
        break;
    case Fault::FileIsFolder:
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeBytes(path + QStringLiteral("/inside"), old));
        break;
    case Fault::FolderVanished:
    case Fault::FullDisk:
        QVERIFY(writeBytes(path, old));
        setup.fileSizeLimit = fault == Fault::FullDisk ? 64 : RLIM_INFINITY;
        break;
    case Fault::TooLarge:
        QVERIFY(writeBytes(path, old));
        QVERIFY(::truncate(qPrintable(path), off_t(64) << 30) == 0);
        break;
    case Fault::ReadOnlyConfigHome:
        // The program's folder cannot be written and holds no settings: the per-user file.
        setup.configHome = top.filePath(QStringLiteral("config"));
        QVERIFY(QDir().mkpath(setup.configHome));
        QVERIFY(::chmod(qPrintable(folder), 0555) == 0);
        break;
    }
    QVERIFY(::chmod(qPrintable(top.path()), 0755) == 0);
    const QString config = top.filePath(QStringLiteral("config"));
    if (fault == Fault::ReadOnlyFile) {
        QVERIFY(QDir().mkpath(config) && ::chown(qPrintable(config), kNobody, kNobody) == 0);
        setup.configHome = config;
    }

    auto editor = startEditor(folder, setup);
    QVERIFY(editor);
    if (fault == Fault::FolderVanished)
        QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(closeEditor(*editor));

    QCOMPARE(editor->exitStatus(), QProcess::NormalExit);
    QCOMPARE(editor->exitCode(), 0);
    // One line, the editor's, that tells the loss of the custom colours too, naming the file
    // (or the folder that could not be made for it) and the real reason.
    const QList<QByteArray> errors = nonEmptyLines(editor->readAllStandardError());
    // Each line is shown in a box too, in the same words, once.
    QList<QByteArray> told;
    for (const QByteArray &line : nonEmptyLines(editor->readAllStandardOutput()))
        told << line.mid(qstrlen("told: "));
    QCOMPARE(told, errors);
    if (fault == Fault::ReadOnlyFile) {
        const QString perUser = config + QStringLiteral("/hueloft/HUELOFT.INI");
        QCOMPARE(errors, QList<QByteArray>{"hueloft: " + QFile::encodeName(path) +
                                           " cannot be written by this user; settings kept in " +
                                           QFile::encodeName(perUser)});
        QCOMPARE(readBytes(path), old);
        QVERIFY2(readBytes(perUser).contains("Red=10"), readBytes(perUser).constData());
        return;
    }
    if (reason.isEmpty()) {
        QCOMPARE(errors, QList<QByteArray>());
        const QByteArray now = readBytes(path);
        QVERIFY2(now.startsWith("; kept\n[RGB Color]\nRed=10\n") && now.contains("Width=32\n") &&
                     now.contains("RGB_Color_15=0\n"),
                 now.constData());
        QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("HUELOFT.INI")});
        ::chmod(qPrintable(folder), 0755);
        return;
    }
    QVERIFY2(errors.size() == 1, errors.join(" | ").constData());
    const QByteArray named =
        QFile::encodeName(fault == Fault::ReadOnlyConfigHome ? setup.configHome : path);
    QVERIFY2(errors[0].startsWith("hueloft: settings and custom colours ") &&
                 errors[0].contains(named) && errors[0].contains(reason),
             errors[0].constData());

    switch (fault) {
    case Fault::FileIsFolder:
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(folderEntries(path), QStringList{QStringLiteral("inside")});
        QCOMPARE(readBytes(path + QStringLiteral("/inside")), old);
        break;
    case Fault::FolderVanished:
        QVERIFY2(!QFileInfo::exists(folder), "the folder came back");
        break;
    case Fault::TooLarge:
        QCOMPARE(QFileInfo(path).size(), qint64(64) << 30);
        QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("HUELOFT.INI")});
        break;
    case Fault::ReadOnlyConfigHome:
        QCOMPARE(folderEntries(setup.configHome), QStringList());
        break;
    default:
        QCOMPARE(readBytes(path), old);
        QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("HUELOFT.INI")});
        break;
    }
    ::chmod(qPrintable(folder), 0755); // lets the temporary folder go
}

// ---------------------------------------------------------------------------------------------
// Killed at a random moment of its exit: every write replaces the file whole, so the file holds
// the new values of the keys written so far, in the exit's order, and the old values of the
// rest; no line is torn and nothing else changes.

namespace {

QByteArray settingsFile(int red, int width, int hexa, int topMost, int left, int customBase,
                        const QByteArray &extra)
{
    QByteArray text =
        "; the user's notes\n[RGB Tintora]\nTop=" + QByteArray::number(left + 150) +
        "\nLeft=" + QByteArray::number(left) + "\nTopMost=" + QByteArray::number(topMost) +
        "\nHexaFormat=" + QByteArray::number(hexa) + "\n" + extra +
        "[RGB Sample]\nWidth=" + QByteArray::number(width) +
        "\nHeight=" + QByteArray::number(width + 1) +
        "\n[RGB Color]\nRed=" + QByteArray::number(red) + "\nGreen=" + QByteArray::number(red + 1) +
        "\nBlue=" + QByteArray::number(red + 2) + "\n[Custom Colors]\n";
    for (int i = 0; i < 16; ++i)
        text +=
            "RGB_Color_" + QByteArray::number(i) + "=" + QByteArray::number(customBase + i) + "\n";
    return text;
}

// Which of the known versions each owned key holds: the index into Versions, or -1.
QList<int> versionOfEachKey(const QByteArray &file,
                            const QList<QMap<QString, QByteArray>> &versions)
{
    const QMap<QString, QByteArray> now = ownedValues(file);
    QList<int> result;
    for (const OwnedKey &owned : ownedKeys()) {
        const QString key = QString::fromLatin1(owned.key);
        int found = -1;
        for (int v = 0; v < versions.size() && found < 0; ++v) {
            if (now.contains(key) && versions[v].value(key) == now.value(key))
                found = v;
        }
        result.append(found);
    }
    return result;
}

} // namespace

void tst_Faults::killedDuringExit()
{
    // What the editor holds (read at its start), what is on disk when it exits (every key
    // differs between the two), and what the editor changes: only that is written.
    const QByteArray held = settingsFile(11, 44, 2, 5, 1500, 1000, {});
    const QByteArray onDisk = settingsFile(1, 9, 1, 0, 3000, 500, "[Other]\nkeep=me\n");
    const QByteArray commands = "color 77 78 79\nnotation 3\n";
    const QByteArray complete = soloRun(held, commands);
    QVERIFY(!complete.isEmpty());
    const QMap<QString, QByteArray> heldValues = ownedValues(held);
    const QMap<QString, QByteArray> oldValues = ownedValues(onDisk);
    QMap<QString, QByteArray> newValues = oldValues;
    QStringList changed;
    for (const auto &[key, value] : ownedValues(complete).asKeyValueRange()) {
        QVERIFY2(value != oldValues.value(key), qPrintable(key));
        if (value != heldValues.value(key)) {
            changed.append(key);
            newValues[key] = value;
        }
    }
    for (const char *key : {"Red", "Green", "Blue", "HexaFormat"})
        QVERIFY2(changed.contains(QLatin1String(key)), qPrintable(changed.join(u' ')));

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    qInfo("seed %u", seed);
    int untouched = 0, finished = 0, strayRounds = 0, strayAfterNextExit = 0;
    for (int round = 0; round < 30; ++round) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("HUELOFT.INI"));
        QVERIFY(writeBytes(path, held));
        auto editor = startEditor(folder.path());
        QVERIFY(editor);
        QVERIFY(writeBytes(path, onDisk));
        const int delayMicroseconds = random.bounded(30000);
        editor->write(commands + "\n");
        editor->waitForBytesWritten(1000);
        QThread::usleep(delayMicroseconds);
        ::kill(pid_t(editor->processId()), SIGKILL);
        QVERIFY(editor->waitForFinished(5000));

        const QByteArray after = readBytes(path);
        const QString where =
            QStringLiteral("round %1, killed after %2 us").arg(round).arg(delayMicroseconds);
        QVERIFY2(foreignLines(after) == foreignLines(onDisk), qPrintable(where));
        const QList<int> versions = versionOfEachKey(after, {oldValues, newValues});
        QVERIFY2(!versions.contains(-1), qPrintable(where + QStringLiteral(": a torn value")));
        // One replacement writes every changed key: all new or all old, nothing in between.
        const QMap<QString, QByteArray> now = ownedValues(after);
        const auto written = std::count_if(changed.cbegin(), changed.cend(), [&](const QString &key) {
            return now.value(key) == newValues.value(key);
        });
        QVERIFY2(written == 0 || written == changed.size(),
                 qPrintable(where + QStringLiteral(": some keys written, others not")));
        if (written == 0)
            ++untouched;
        else
            ++finished;

        QStringList stray = folderEntries(folder.path());
        stray.removeOne(QStringLiteral("HUELOFT.INI"));
        if (!stray.isEmpty()) {
            ++strayRounds;
            // The next normal exit on the same file should take the leftover away.
            auto next = startEditor(folder.path());
            QVERIFY(next);
            QVERIFY(closeEditor(*next));
            if (folderEntries(folder.path()) != QStringList{QStringLiteral("HUELOFT.INI")})
                ++strayAfterNextExit;
        }
    }
    qInfo("30 rounds: %d killed before the file was replaced, %d after; "
          "%d left a temporary file, %d of them still there after the next normal exit",
          untouched, finished, strayRounds, strayAfterNextExit);
    if (strayRounds > 0) {
        QEXPECT_FAIL("",
                     "A write killed between creating its temporary file and renaming it "
                     "leaves .HUELOFT.INI.writing-XXXXXX in the program's folder.",
                     Continue);
    }
    QCOMPARE(strayRounds, 0);
    // A leftover goes the first time the next run touches the file.
    QCOMPARE(strayAfterNextExit, 0);
}

// ---------------------------------------------------------------------------------------------
// Two editors on the same folder asked to close at the same instant, one having changed the
// colour and the other the notation: the file must hold both changes, and everything else as
// it was, never a mixture of torn writes nor one copy's values over the other's change.

void tst_Faults::twoEditorsExitTogether()
{
    // A few megabytes of the user's own notes make each write take long enough for the two
    // exit sequences to overlap.
    QByteArray notes = "[Other]\nkeep=me\n";
    for (int i = 0; i < 10000; ++i)
        notes += "; note " + QByteArray::number(i) + " " + QByteArray(80, 'n') + "\n";
    const QByteArray onDisk = settingsFile(41, 80, 0, 0, 3000, 4000, notes);
    QMap<QString, QByteArray> expected = ownedValues(soloRun(onDisk));
    QCOMPARE(expected.size(), ownedKeys().size());
    expected["Red"] = "21";
    expected["Green"] = "22";
    expected["Blue"] = "23";
    expected["HexaFormat"] = "2";

    int lost = 0;
    QString firstLoss;
    const int rounds = 10;
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("HUELOFT.INI"));
        QVERIFY(writeBytes(path, onDisk));
        auto editorA = startEditor(folder.path());
        QVERIFY(editorA);
        auto editorB = startEditor(folder.path());
        QVERIFY(editorB);

        // QProcess sends what was written only while it waits on that very process: both
        // lines must be out before either exit is awaited, or A ends before B is told.
        editorA->write("color 21 22 23\n\n");
        editorB->write("notation 2\n\n");
        QVERIFY(editorA->waitForBytesWritten(5000));
        QVERIFY(editorB->waitForBytesWritten(5000));
        QVERIFY(editorA->waitForFinished(20000));
        QVERIFY(editorB->waitForFinished(20000));
        QCOMPARE(editorA->exitCode(), 0);
        QCOMPARE(editorB->exitCode(), 0);
        QCOMPARE(editorA->readAllStandardError(), QByteArray());
        QCOMPARE(editorB->readAllStandardError(), QByteArray());

        const QByteArray after = readBytes(path);
        QCOMPARE(foreignLines(after), foreignLines(onDisk));
        QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("HUELOFT.INI")});
        const QMap<QString, QByteArray> now = ownedValues(after);
        if (now != expected && lost++ == 0) {
            for (const auto &[key, value] : expected.asKeyValueRange()) {
                if (now.value(key) != value)
                    firstLoss += key + QLatin1Char('=') + QString::fromLatin1(now.value(key)) +
                                 QLatin1Char(' ');
            }
        }
    }
    qInfo("%d of %d rounds lost a change; first: %s", lost, rounds, qPrintable(firstLoss));
    QCOMPARE(lost, 0);
}

// ---------------------------------------------------------------------------------------------
// HUELOFT.INI is, or links to, something other than a regular file, or is far too large to be
// settings: never a blocking open, an endless read or a regular file put in its place. Defaults, one line that says what the
// file is, and the node left exactly as it was.

enum class Node {
    Fifo,
    LinkToFifo,
    DeviceCopy,
    LinkToDeviceCopy,
    LinkToDevZero,
    Socket,
    FifoSwappedIn,
    Sparse64G
};

void tst_Faults::notRegularSettingsFile_data()
{
    QTest::addColumn<Node>("node");
    QTest::addColumn<QByteArray>("kind"); // as the line names it
    const QByteArray notRegular = ", not a regular file";
    QTest::newRow("FIFO") << Node::Fifo << "a FIFO" + notRegular;
    QTest::newRow("link to a FIFO") << Node::LinkToFifo << "a FIFO" + notRegular;
    QTest::newRow("copy of /dev/null") << Node::DeviceCopy << "a character device" + notRegular;
    QTest::newRow("link to a copy of /dev/null")
        << Node::LinkToDeviceCopy << "a character device" + notRegular;
    QTest::newRow("link to /dev/zero") << Node::LinkToDevZero << "a character device" + notRegular;
    QTest::newRow("socket") << Node::Socket << "a socket" + notRegular;
    QTest::newRow("FIFO swapped in while running") << Node::FifoSwappedIn << "a FIFO" + notRegular;
    // Too large to be settings: an abort or a 400-byte file in its place would be as bad.
    QTest::newRow("sparse 64 GB file")
        << Node::Sparse64G << QByteArray("too large for a settings file (68719476736 bytes");
}

void tst_Faults::notRegularSettingsFile()
{
    QFETCH(Node, node);
    QFETCH(QByteArray, kind);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("HUELOFT.INI")));
    const QByteArray other = QFile::encodeName(folder.filePath(QStringLiteral("node")));
    const bool linked =
        node == Node::LinkToFifo || node == Node::LinkToDeviceCopy || node == Node::LinkToDevZero;
    const QByteArray made = linked ? other : path;
    switch (node) {
    case Node::Fifo:
    case Node::LinkToFifo:
        QVERIFY(::mkfifo(made.constData(), 0666) == 0);
        break;
    case Node::DeviceCopy:
    case Node::LinkToDeviceCopy:
        if (::mknod(made.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here (not root)");
        break;
    case Node::LinkToDevZero:
        QVERIFY(::symlink("/dev/zero", other.constData()) == 0);
        break;
    case Node::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(path.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        ::close(fd);
        break;
    }
    case Node::FifoSwappedIn:
        QVERIFY(writeBytes(QFile::decodeName(path), "[RGB Color]\nRed=10\n"));
        break;
    case Node::Sparse64G:
        QVERIFY(writeBytes(QFile::decodeName(path), "[RGB Color]\nRed=10\n"));
        QVERIFY(::truncate(path.constData(), 64ll << 30) == 0);
        break;
    }
    if (linked)
        QVERIFY(::symlink(other.constData(), path.constData()) == 0);
    struct stat before = {};
    QVERIFY(::lstat(made.constData(), &before) == 0);
    const QStringList entries = folderEntries(folder.path());

    auto editor = startEditor(folder.path());
    QVERIFY2(editor, "the editor did not start");
    if (node == Node::FifoSwappedIn) {
        QVERIFY(::unlink(path.constData()) == 0);
        QVERIFY(::mkfifo(path.constData(), 0666) == 0);
        QVERIFY(::lstat(made.constData(), &before) == 0);
    }
    QVERIFY2(closeEditor(*editor), "the editor did not end");
    QCOMPARE(editor->exitStatus(), QProcess::NormalExit);
    QCOMPARE(editor->exitCode(), 0);

    const QList<QByteArray> errors = nonEmptyLines(editor->readAllStandardError());
    // Said once at start; swapped in later, the exit says it (editor and swatchy each).
    QVERIFY2(node == Node::FifoSwappedIn ? !errors.isEmpty() && errors.size() <= 2
                                         : errors.size() == 1,
             errors.join(" | ").constData());
    for (const QByteArray &line : errors) {
        QVERIFY2(line.contains(path) && line.contains(kind),
                 line.constData());
    }
    struct stat after = {};
    QVERIFY(::lstat(made.constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_size, before.st_size);
    if (linked)
        QVERIFY(QFileInfo(QFile::decodeName(path)).isSymLink());
    QCOMPARE(folderEntries(folder.path()), entries);
}

// ---------------------------------------------------------------------------------------------
// HUELOFT.INI as a symbolic link: the exit writes through to the target, the link stays.

void tst_Faults::linkedSettingsFile_data()
{
    QTest::addColumn<QString>("linkText");   // what HUELOFT.INI points to
    QTest::addColumn<QString>("secondLink"); // a further link in the chain, or empty
    QTest::newRow("absolute") << QStringLiteral("@/store/real.ini") << QString();
    QTest::newRow("relative") << QStringLiteral("store/real.ini") << QString();
    QTest::newRow("chain of two") << QStringLiteral("store/middle.ini")
                                  << QStringLiteral("real.ini");
}

void tst_Faults::linkedSettingsFile()
{
    QFETCH(QString, linkText);
    QFETCH(QString, secondLink);
    WindowFixture f;
    QVERIFY(f.folder.isValid());
    QVERIFY(QDir(f.folder.path()).mkpath(QStringLiteral("store")));
    const QString target = f.folder.filePath(QStringLiteral("store/real.ini"));
    QVERIFY(writeBytes(target, "[Mine]\nkeep=1\n[RGB Color]\nRed=3\n"));
    linkText.replace(u'@', f.folder.path());
    QVERIFY(::symlink(qPrintable(linkText), qPrintable(f.settingsPath())) == 0);
    if (!secondLink.isEmpty())
        QVERIFY(::symlink(qPrintable(secondLink),
                          qPrintable(f.folder.filePath(QStringLiteral("store/middle.ini")))) == 0);
    QVERIFY(f.start());
    QCOMPARE(f.control<QScrollBar>("hsbColor0")->value(), 3);
    f.window->form().ApplyColor(200, 100, 50);
    f.window->close();

    char buffer[4096] = {};
    QVERIFY(::readlink(qPrintable(f.settingsPath()), buffer, sizeof buffer - 1) > 0);
    QCOMPARE(QString::fromLocal8Bit(buffer), linkText);
    const QByteArray after = readBytes(target);
    QCOMPARE(iniValue(after, "RGB Color", "Red").value_or("<none>"), QByteArray("200"));
    QCOMPARE(iniValue(after, "Mine", "keep").value_or("<none>"), QByteArray("1"));
    QCOMPARE(iniValue(after, "Custom Colors", "RGB_Color_15").value_or("<none>"), QByteArray("0"));
    QStringList expected = {QStringLiteral("HUELOFT.INI"), QStringLiteral("store")};
    QCOMPARE(folderEntries(f.folder.path()), expected);
    expected = {QStringLiteral("real.ini")};
    if (!secondLink.isEmpty())
        expected.prepend(QStringLiteral("middle.ini"));
    QCOMPARE(folderEntries(f.folder.filePath(QStringLiteral("store"))), expected);
    if (!secondLink.isEmpty())
        QVERIFY(QFileInfo(f.folder.filePath(QStringLiteral("store/middle.ini"))).isSymLink());
}

// ---------------------------------------------------------------------------------------------
// Huge, garbled and odd settings files: the editor starts quickly, takes what it can read and
// defaults for the rest, and its exit changes nothing but its own keys.

void tst_Faults::oddSettingsFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("red"); // -1: anything from 0 to 255
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QString>("width");

    const int hugeSize = (kSanitized ? 5 : 50) * 1024 * 1024;
    QByteArray huge = "[RGB Color]\nRed=12\n";
    const QByteArray comment = "; " + QByteArray(77, 'z') + "\n";
    huge.reserve(hugeSize + 100);
    while (huge.size() < hugeSize)
        huge += comment;
    huge += "[RGB Sample]\nWidth=40\n";
    QTest::newRow("50 MB") << huge << 12 << 0 << 0 << QStringLiteral("40");

    QRandomGenerator random(20261208);
    QByteArray noise(256 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    QTest::newRow("random bytes") << noise << 0 << 0 << 0 << QStringLiteral("32");
    QTest::newRow("random bytes around real keys")
        << noise.left(5000) + "\n[RGB Color]\nGreen=77\n" + noise.mid(5000, 5000) << 0 << 77 << 0
        << QStringLiteral("32");

    static const char withNul[] = "\0\0\0\n[RGB\0Color]\nRed=1\n[RGB Color]\nGreen=\0\n"
                                  " Blue=77\0tail\n[RGB Sample]\nWidth=\0"
                                  "50\nHeight=60\0\0\n";
    QTest::newRow("NUL bytes") << QByteArray(withNul, sizeof withNul - 1) << 0 << 0 << 77
                               << QStringLiteral("0");

    QTest::newRow("very long lines")
        << "[RGB Color]\n;" + QByteArray(4 * 1024 * 1024, 'c') + "\n" + QByteArray(100000, 'k') +
               "=5\nRed=" + QByteArray(1000000, '9') + "\nGreen=" + QByteArray(1000000, '0') +
               "42\n[RGB Sample]\nWidth=48\n"
        << -1 << 42 << 0 << QStringLiteral("48");

    QTest::newRow("UTF-8 byte order mark")
        << QByteArray("\xEF\xBB\xBF[RGB Color]\nRed=200\n[RGB Sample]\nWidth=64\n") << 0 << 0 << 0
        << QStringLiteral("64");
    QTest::newRow("CR line ends and UTF-8 names")
        << QByteArray("[Grün]\rRed=9\r[RGB Color]\rRed=90\r[RGB Sample]\rWidth=33\r") << 90 << 0
        << 0 << QStringLiteral("33");
}

void tst_Faults::oddSettingsFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QString, width);

    WindowFixture f;
    QVERIFY(f.folder.isValid());
    QVERIFY(writeBytes(f.settingsPath(), file));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(f.start());
    const qint64 startMs = timer.elapsed();
    qInfo("start-up %lld ms", startMs);
    // About 0.5 s for the 50 MB file on a quiet machine; reading and comparing it again at each
    // of the start's reads takes about 6 s. The margin is for a machine busy with other tests.
    QVERIFY2(kSanitized || startMs < 2000,
             qPrintable(QStringLiteral("start-up took %1 ms").arg(startMs)));

    const int channels[3] = {f.control<QScrollBar>("hsbColor0")->value(),
                             f.control<QScrollBar>("hsbColor1")->value(),
                             f.control<QScrollBar>("hsbColor2")->value()};
    const int expected[3] = {red, green, blue};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(channels[i] >= 0 && channels[i] <= 255);
        if (expected[i] >= 0)
            QCOMPARE(channels[i], expected[i]);
    }
    QCOMPARE(f.control<QLineEdit>("ediSwatch0")->text(), width);

    timer.restart();
    f.window->close();
    qInfo("exit %lld ms", timer.elapsed());
    const QByteArray after = readBytes(f.settingsPath());
    QVERIFY2(foreignLines(after) == foreignLines(file), "a line the editor does not own changed");
    // The exit adds at most its own sections and keys.
    QVERIFY2(after.size() - file.size() < 1000,
             qPrintable(QString::number(after.size() - file.size())));
    QCOMPARE(iniValue(after, "RGB Color", "Red").value_or("<none>"),
             QByteArray::number(channels[0]));
    QCOMPARE(iniValue(after, "RGB Sample", "Width").value_or("<none>"), width.toLatin1());
    QCOMPARE(folderEntries(f.folder.path()), QStringList{QStringLiteral("HUELOFT.INI")});
}

// ---------------------------------------------------------------------------------------------
// swatchy missing, or present without one of its entry points: the editor runs and exits, and
// the custom colours in the file are never lost.

void tst_Faults::incompleteLibrary_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<bool>("hasDialog");
    QTest::addColumn<QByteArray>("reportNames"); // what the one line on standard error names

    QTest::newRow("missing") << QString() << QStringLiteral("swatchy_absent") << false
                             << QByteArray("swatchy_absent");
    QTest::newRow("without ShowColorDialog")
        << QStringLiteral(FAKE_PARTIAL_FOLDER) << QStringLiteral("swatchy") << false
        << QByteArray("ShowColorDialog");
    QTest::newRow("without LoadCustomColors")
        << QStringLiteral(FAKE_WITHOUT_LOAD_FOLDER) << QStringLiteral("swatchy") << true
        << QByteArray("LoadCustomColors");
    QTest::newRow("without SaveCustomColors")
        << QStringLiteral(FAKE_WITHOUT_SAVE_FOLDER) << QStringLiteral("swatchy") << true
        << QByteArray("SaveCustomColors");
}

void tst_Faults::incompleteLibrary()
{
    QFETCH(QString, folder);
    QFETCH(QString, baseName);
    QFETCH(bool, hasDialog);
    QFETCH(QByteArray, reportNames);

    QTemporaryDir empty;
    if (folder.isEmpty())
        folder = empty.path();
    QTemporaryDir programFolder;
    const QString path = programFolder.filePath(QStringLiteral("HUELOFT.INI"));
    QByteArray before = "[RGB Color]\nRed=5\n[Custom Colors]\n";
    for (int i = 0; i < 16; ++i)
        before +=
            "RGB_Color_" + QByteArray::number(i) + "=" + QByteArray::number(1000 * (i + 1)) + "\n";
    QVERIFY(writeBytes(path, before));

    StderrCapture errors;
    {
        DeclaredFunctions functions({QFile::encodeName(folder).toStdString(), {}}, baseName.toStdString());
        SystemSettingsStore settings(QFile::encodeName(programFolder.path()).toStdString());
        MainWindow window(functions, settings);
        window.form().Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.form().ApplyColor(7, 8, 9);
        if (!hasDialog) {
            // No dialog can open: the call answers like a cancelled one.
            window.findChild<QPushButton *>(QStringLiteral("cmdEditColor"))->click();
            QCOMPARE(window.form().currentColor(), hueloft::ColorValue(7 + 8 * 256 + 9 * 65536));
        }
        window.close();
    }
    const QList<QByteArray> lines = nonEmptyLines(errors.finish());
    QVERIFY2(lines.size() == 1, lines.join(" | ").constData());
    QVERIFY2(lines.first().startsWith("hueloft: ") && lines.first().contains(reportNames),
             lines.first().constData());

    const QByteArray after = readBytes(path);
    QCOMPARE(iniValue(after, "RGB Color", "Red").value_or("<none>"), QByteArray("7"));
    QCOMPARE(iniValue(after, "RGB Color", "Blue").value_or("<none>"), QByteArray("9"));
    QStringList lost;
    for (int i = 0; i < 16; ++i) {
        const QByteArray key = "RGB_Color_" + QByteArray::number(i);
        if (iniValue(after, "Custom Colors", key.constData()) != QByteArray::number(1000 * (i + 1)))
            lost.append(QString::fromLatin1(key));
    }
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("lost: ") + lost.join(u' ')));
}

// ---------------------------------------------------------------------------------------------
// Anything pasted into the five number boxes, then committed and copied: every value that takes
// effect lies in its range, the boxes and texts agree with it, nothing crashes.

void tst_Faults::pastedText_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");

    const QList<QPair<const char *, QString>> texts = {
        {"empty", QString()},
        {"minus", QStringLiteral("-5")},
        {"plus", QStringLiteral("+7")},
        {"fraction", QStringLiteral("1.5")},
        {"comma fraction", QStringLiteral("2,5")},
        {"blanks", QStringLiteral(" 12 ")},
        {"letters", QStringLiteral("abc")},
        {"digits then letters", QStringLiteral("9x")},
        {"hexadecimal", QStringLiteral("0xF")},
        {"exponent", QStringLiteral("1e3")},
        {"above range", QStringLiteral("999")},
        {"long digit run", QStringLiteral("12345678901234567890123")},
        {"Arabic-Indic digits", QStringLiteral("\u0661\u0662\u0663")},
        {"full-width digits", QStringLiteral("\uFF11\uFF12")},
        {"superscript two", QStringLiteral("\u00B2")},
        {"control characters", QStringLiteral("\t\x01\x7F")},
        {"line break", QStringLiteral("4\n5")},
        {"NUL", QString(QChar(0)) + QStringLiteral("3")},
        {"emoji", QStringLiteral("\U0001F600")},
        {"right-to-left mark", QStringLiteral("\u200F8")},
    };
    for (const char *box : {"ediColor0", "ediColor1", "ediColor2", "ediSwatch0", "ediSwatch1"}) {
        for (const auto &[name, text] : texts)
            QTest::newRow(
                qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(box), QLatin1String(name))))
                << QString::fromLatin1(box) << text;
    }
}

void tst_Faults::pastedText()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    WindowFixture f;
    QVERIFY(f.start("[RGB Color]\nRed=100\nGreen=150\nBlue=200\n[RGB Sample]\nWidth=20\n"));
    auto *edit = f.control<QLineEdit>(qPrintable(box));
    QClipboard *clipboard = QGuiApplication::clipboard();

    // Both ways a person pastes: the context menu's Paste, and Shift+Insert after selecting all.
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    clipboard->setText(text);
    edit->selectAll();
    edit->paste();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    if (box.startsWith(QLatin1String("ediColor")))
        QTest::keyClick(edit, Qt::Key_Return);
    for (const char *command : {"cmdCopyRGB", "cmdCopyHexa", "cmdCopyHTML", "cmdCopySample"})
        QTest::mouseClick(f.control<QPushButton>(command), Qt::LeftButton);

    static const QRegularExpression decimal(QStringLiteral("^(0|[1-9][0-9]*)$"));
    int channels[3];
    for (int i = 0; i < 3; ++i) {
        channels[i] =
            f.control<QScrollBar>(qPrintable(QStringLiteral("hsbColor%1").arg(i)))->value();
        QVERIFY(channels[i] >= 0 && channels[i] <= 255);
        const QString shown =
            f.control<QLineEdit>(qPrintable(QStringLiteral("ediColor%1").arg(i)))->text();
        QCOMPARE(shown, QString::number(channels[i]));
    }
    QCOMPARE(f.window->form().currentColor(),
             hueloft::ColorValue(channels[0] + 256 * channels[1] + 65536 * channels[2]));
    for (int i = 0; i < 2; ++i) {
        QVERIFY(f.window->form().SwatchSize[i] >= 8 && f.window->form().SwatchSize[i] <= 256);
        const QString shown =
            f.control<QLineEdit>(qPrintable(QStringLiteral("ediSwatch%1").arg(i)))->text();
        QVERIFY2(shown.size() <= 3, qPrintable(shown));
    }
    const QImage sample = clipboard->image();
    QCOMPARE(sample.size(), QSize(f.window->form().SwatchSize[0], f.window->form().SwatchSize[1]));
    QCOMPARE(sample.pixelColor(0, 0), QColor(channels[0], channels[1], channels[2]));

    f.window->close();
    const QByteArray after = readBytes(f.settingsPath());
    for (const char *key : {"Red", "Green", "Blue"})
        QVERIFY(decimal.match(QString::fromLatin1(iniValue(after, "RGB Color", key).value_or("x")))
                    .hasMatch());
    QCOMPARE(iniValue(after, "RGB Sample", "Width").value_or("x"),
             QByteArray::number(f.window->form().SwatchSize[0]));
    QCOMPARE(iniValue(after, "RGB Color", "Red").value_or("x"), QByteArray::number(channels[0]));
}

// ---------------------------------------------------------------------------------------------
// Every kind of value for every key of the file: the window starts consistent, and the exit
// writes plain decimal integers, the 16-bit fields back as they were taken.

void tst_Faults::storedValues_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    const QList<QByteArray> values = {
        "-1",         "-40000", "65535", "4294967295", "99999999999999999999",
        "0x7FFFFFFF", "-0x10",  "0x",    "12abc",      "abc",
        "",           "+8",     "1e9",   "\"5\"",      "\xD9\xA3",
        "2147483648",
    };
    for (const OwnedKey &owned : ownedKeys().mid(0, kEditorKeyCount)) {
        for (const QByteArray &value : values)
            QTest::newRow(QByteArray(owned.key) + "=" + value)
                << QByteArray(owned.section) << QByteArray(owned.key) << value;
    }
}

void tst_Faults::storedValues()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);

    const QByteArray file = "[" + section + "]\n" + key + "=" + value + "\n";
    const bool position = key == "Left" || key == "Top";
    // What the profile layer reads for the position, or nothing when the default applies.
    std::optional<std::int32_t> storedPosition;
    if (position) {
        QTemporaryFile probe;
        QVERIFY(probe.open() && probe.write(file) == file.size());
        probe.close();
        const auto read = std::int32_t(platform::GetPrivateProfileIntA(
            section.constData(), key.constData(), 12345, QFile::encodeName(probe.fileName())));
        if (read != 12345)
            storedPosition = read;
    }
    WindowFixture f;
    QVERIFY(f.start(file));

    for (int i = 0; i < 3; ++i) {
        const int channel =
            f.control<QScrollBar>(qPrintable(QStringLiteral("hsbColor%1").arg(i)))->value();
        QVERIFY(channel >= 0 && channel <= 255);
        QCOMPARE(f.control<QLineEdit>(qPrintable(QStringLiteral("ediColor%1").arg(i)))->text(),
                 QString::number(channel));
    }
    QCOMPARE(f.control<QLineEdit>("ediSwatch0")->text(),
             QString::number(f.window->form().SwatchSize[0]));
    QCOMPARE(f.control<QLineEdit>("ediSwatch1")->text(),
             QString::number(f.window->form().SwatchSize[1]));
    const int hexa = f.window->form().HexaType;
    for (int i = 0; i < 4; ++i) {
        const bool checked =
            f.control<QRadioButton>(qPrintable(QStringLiteral("optLang%1").arg(i)))->isChecked();
        QCOMPARE(checked, hexa >= 0 && hexa <= 3 ? i == hexa : i == 0);
    }
    QCOMPARE(f.control<QCheckBox>("chkTop")->isChecked(), f.window->form().TopMost == 1);
    QVERIFY(!f.control<QLabel>("txtHexa")->text().isEmpty());
    const std::int16_t width = f.window->form().SwatchSize[0];
    const std::int16_t topMost = f.window->form().TopMost;

    f.window->close();
    const QByteArray after = readBytes(f.settingsPath());
    // A quoted number reads as the number: left alone by a run that did not change it.
    const auto stored = [&after](const char *section, const char *key) {
        QByteArray value = iniValue(after, section, key).value_or("<none>");
        if (value.size() > 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return value;
    };
    static const QRegularExpression integer(QStringLiteral("^(0|-?[1-9][0-9]*)$"));
    for (const OwnedKey &owned : ownedKeys()) {
        const QByteArray written = stored(owned.section, owned.key);
        QVERIFY2(integer.match(QString::fromLatin1(written)).hasMatch(),
                 qPrintable(QStringLiteral("%1=%2").arg(QLatin1String(owned.key),
                                                        QLatin1String(written))));
        bool ok = false;
        const qlonglong number = written.toLongLong(&ok);
        QVERIFY(ok && number >= INT32_MIN && number <= INT32_MAX);
    }
    if (storedPosition) {
        // Far off the screen is allowed; the other side of it is not.
        const qlonglong written =
            iniValue(after, "RGB Tintora", key.constData()).value_or("0").toLongLong();
        QVERIFY2(!(written < 0 && *storedPosition > 0) && !(written > 0 && *storedPosition < 0),
                 qPrintable(QStringLiteral("read %1, wrote %2").arg(*storedPosition).arg(written)));
    }
    QCOMPARE(stored("RGB Sample", "Width"), QByteArray::number(width));
    QCOMPARE(stored("RGB Tintora", "HexaFormat"), QByteArray::number(hexa));
    QCOMPARE(stored("RGB Tintora", "TopMost"), QByteArray::number(topMost));
}

QTEST_MAIN(tst_Faults)
#include "tst_faults.moc"
