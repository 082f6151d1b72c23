// SPDX-License-Identifier: MIT
// Where the settings file lives: beside the program when it can be, in the per-user folder
// when the program's folder cannot be written.

#include "editor/settings/settingspath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class tst_SettingsPath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void location_data();
    void location();
    void perUserFolder_data();
    void perUserFolder();
    void latin1Folder();
    void unusableFile_data();
    void unusableFile();
    void folderCreation();

private:
    // The location as a user who cannot write a folder of mode 0555 sees it. Root writes
    // anywhere, so as root the check runs in a child that has given up its privileges.
    static QString locationAsOrdinaryUser(const QString &programFolder, bool *perUser);
    QTemporaryDir m_config;
};

void tst_SettingsPath::initTestCase()
{
    QVERIFY(m_config.isValid());
    QDir(m_config.path()).mkpath(QStringLiteral("."));
    QFile::setPermissions(m_config.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                               | QFile::ReadOther | QFile::ExeOther);
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

QString tst_SettingsPath::locationAsOrdinaryUser(const QString &programFolder, bool *perUser)
{
    if (::geteuid() != 0) {
        const SettingsLocation location = settingsLocationFor(programFolder.toStdString());
        *perUser = location.perUser;
        return QString::fromStdString(location.path);
    }
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return QStringLiteral("<pipe failed>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const SettingsLocation location = settingsLocationFor(programFolder.toStdString());
        const QByteArray answer = (location.perUser ? "1" : "0") + QByteArray::fromStdString(location.path);
        const bool written = ::write(pipeEnds[1], answer.constData(), answer.size()) == answer.size();
        ::_exit(written ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    QByteArray answer;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, n);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.isEmpty())
        return QStringLiteral("<child failed>");
    *perUser = answer.at(0) == '1';
    return QString::fromUtf8(answer.mid(1));
}

void tst_SettingsPath::location_data()
{
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("perUser");
    QTest::newRow("writable folder, no file") << true << false << false;
    QTest::newRow("writable folder, file") << true << true << false;
    QTest::newRow("read-only folder with its file") << false << true << false;
    QTest::newRow("read-only folder, no file") << false << false << true;
}

void tst_SettingsPath::location()
{
    QFETCH(bool, folderWritable);
    QFETCH(bool, fileExists);
    QFETCH(bool, perUser);

    QTemporaryDir program;
    QVERIFY(program.isValid());
    if (fileExists) {
        QFile file(program.filePath(QStringLiteral("HUELOFT.INI")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // Readable and searchable by everybody; writable by the owner only when asked for.
    QFile::Permissions mode = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther
                              | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup;
    if (folderWritable)
        mode |= QFile::WriteOwner | QFile::WriteOther | QFile::WriteGroup;
    QVERIFY(QFile::setPermissions(program.path(), mode));
    // The temporary folder's parents must be searchable for the other user.
    QFileInfo parent(QFileInfo(program.path()).path());
    QVERIFY(parent.permission(QFile::ExeOther));

    bool gotPerUser = !perUser;
    const QString path = locationAsOrdinaryUser(program.path(), &gotPerUser);
    QFile::setPermissions(program.path(), mode | QFile::WriteOwner);

    QCOMPARE(gotPerUser, perUser);
    // The file name is appended to the folder unchanged.
    const QString expected = perUser ? m_config.path() + QStringLiteral("/hueloft/HUELOFT.INI")
                                     : program.path() + QStringLiteral("/HUELOFT.INI");
    QCOMPARE(path, expected);
    // Nothing is created by working out the location.
    QVERIFY(!QFile::exists(m_config.path() + QStringLiteral("/hueloft")));
}

// Where the per-user file goes for a program whose folder cannot hold it (here: a folder that
// does not exist), by environment. "-" leaves a variable unset.
void tst_SettingsPath::perUserFolder_data()
{
    QTest::addColumn<QByteArray>("xdgConfigHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("expected"); // empty: nowhere to keep the settings

    QTest::newRow("XDG_CONFIG_HOME absolute") << QByteArray("/cfg") << QByteArray("/h")
                                              << QByteArray("/cfg/hueloft/HUELOFT.INI");
    QTest::newRow("XDG_CONFIG_HOME relative is ignored")
        << QByteArray("rel/cfg") << QByteArray("/h") << QByteArray("/h/.config/hueloft/HUELOFT.INI");
    QTest::newRow("XDG_CONFIG_HOME empty") << QByteArray("") << QByteArray("/h")
                                           << QByteArray("/h/.config/hueloft/HUELOFT.INI");
    QTest::newRow("only HOME") << QByteArray("-") << QByteArray("/h")
                               << QByteArray("/h/.config/hueloft/HUELOFT.INI");
    QTest::newRow("HOME relative") << QByteArray("-") << QByteArray("relhome") << QByteArray();
    QTest::newRow("HOME unset") << QByteArray("-") << QByteArray("-") << QByteArray();
    QTest::newRow("HOME empty, XDG relative") << QByteArray("x") << QByteArray("") << QByteArray();
    QTest::newRow("XDG absolute, HOME unset") << QByteArray("/cfg") << QByteArray("-")
                                              << QByteArray("/cfg/hueloft/HUELOFT.INI");
}

void tst_SettingsPath::perUserFolder()
{
    QFETCH(QByteArray, xdgConfigHome);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, expected);
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    auto set = [](const char *name, const QByteArray &value) {
        if (value == "-")
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    set("XDG_CONFIG_HOME", xdgConfigHome);
    set("HOME", home);
    const SettingsLocation location = settingsLocationFor("/nonexistent/hueloft-program");
    qputenv("XDG_CONFIG_HOME", savedXdg);
    qputenv("HOME", savedHome);

    QVERIFY(location.perUser);
    QCOMPARE(QByteArray::fromStdString(location.path), expected);
    // Nowhere to keep them is said, naming the reason.
    QCOMPARE(location.problem.empty(), !expected.isEmpty());
    if (expected.isEmpty())
        QVERIFY2(location.problem.find("$HOME") != std::string::npos, location.problem.c_str());
}

// A folder name that is not valid UTF-8 keeps its bytes: the file beside the program is used.
void tst_SettingsPath::latin1Folder()
{
    QTemporaryDir top;
    QVERIFY(top.isValid());
    const std::string folder = QFile::encodeName(top.path()).toStdString() + "/caf\xE9";
    QVERIFY(::mkdir(folder.c_str(), 0755) == 0);
    const SettingsLocation location = settingsLocationFor(folder);
    QVERIFY(!location.perUser);
    QCOMPARE(QByteArray::fromStdString(location.path),
             QByteArray::fromStdString(folder + "/HUELOFT.INI"));
}

void tst_SettingsPath::unusableFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("reason"); // empty: usable
    QTest::newRow("regular file") << "file" << QByteArray();
    QTest::newRow("no file") << "none" << QByteArray();
    QTest::newRow("link to a regular file") << "link" << QByteArray();
    QTest::newRow("dangling link") << "dangling" << QByteArray();
    QTest::newRow("FIFO") << "fifo" << QByteArray("it is a FIFO, not a regular file");
    QTest::newRow("link to /dev/null") << "devnull"
                                       << QByteArray("it is a character device, not a regular file");
    QTest::newRow("folder") << "folder" << QByteArray("it is a folder, not a regular file");
}

void tst_SettingsPath::unusableFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = QFile::encodeName(dir.filePath(QStringLiteral("HUELOFT.INI"))).toStdString();
    const std::string other = QFile::encodeName(dir.filePath(QStringLiteral("other"))).toStdString();
    if (kind == "file" || kind == "link") {
        QFile file(QString::fromStdString(kind == "file" ? path : other));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (kind == "link")
        QVERIFY(::symlink(other.c_str(), path.c_str()) == 0);
    if (kind == "dangling")
        QVERIFY(::symlink(other.c_str(), path.c_str()) == 0);
    if (kind == "fifo")
        QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
    if (kind == "devnull")
        QVERIFY(::symlink("/dev/null", path.c_str()) == 0);
    if (kind == "folder")
        QVERIFY(::mkdir(path.c_str(), 0755) == 0);
    QCOMPARE(QByteArray::fromStdString(unusableSettingsFile(path)), reason);
}

// The per-user folder made at exit: a failure names the folder and the real reason.
void tst_SettingsPath::folderCreation()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string top = QFile::encodeName(dir.path()).toStdString();
    QCOMPARE(makeSettingsFolder(top + "/a/b/hueloft/HUELOFT.INI"), std::string());
    struct stat st
    {
    };
    QVERIFY(::stat((top + "/a/b/hueloft").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    QCOMPARE(makeSettingsFolder(top + "/a/b/hueloft/HUELOFT.INI"), std::string());

    // A file where a folder should be: the reason is that, not "No such file or directory".
    QFile blocker(dir.filePath(QStringLiteral("plain")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    const std::string error = makeSettingsFolder(top + "/plain/hueloft/HUELOFT.INI");
    QVERIFY2(error.find(top + "/plain/hueloft") != std::string::npos
                 && error.find("Not a directory") != std::string::npos,
             error.c_str());
}

QTEST_GUILESS_MAIN(tst_SettingsPath)
#include "tst_settingspath.moc"
