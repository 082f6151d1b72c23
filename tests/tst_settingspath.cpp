// SPDX-License-Identifier: MIT
// Where the settings file lives: the policy on a table of facts, and the facts as the system
// gives them to an ordinary user.

#include "editor/core/settingslocation.h"
#include "platform/settingsfacts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class tst_SettingsPath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void policy_data();
    void policy();
    void installedLayout();
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
    static hueloft::SettingsLocation locationOf(const std::string &folder,
                                                const std::string &libraryFolder = {})
    {
        return hueloft::chooseSettingsLocation(platform::settingsFacts(folder, libraryFolder));
    }
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

// The policy on the facts a user meets. Beside: the program's HUELOFT.INI ("-" none in a
// folder this user cannot write, "+" none in one it can, "rw", "r", "none" neither, "fifo").
// PerUser: the per-user file ("-" none yet, "file", "fifo", "nohome" no folder at all).
void tst_SettingsPath::policy_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("beside");
    QTest::addColumn<QString>("perUser");
    QTest::addColumn<QString>("path");  // "beside", "user" or "" for none
    QTest::addColumn<bool>("migrates"); // read from the file beside the program this once
    QTest::addColumn<QString>("says");  // a word of the start-up line, or of the problem

    const QString unwritable = QStringLiteral("cannot be written by this user");
    // clang-format off
    QTest::newRow("portable, new") << false << "+" << "-" << "beside" << false << "";
    QTest::newRow("portable, its file") << false << "rw" << "file" << "beside" << false << "";
    QTest::newRow("portable, read-only folder") << false << "-" << "-" << "user" << false << "";
    QTest::newRow("portable, file not writable") << false << "r" << "-" << "user" << true
                                                 << unwritable;
    QTest::newRow("portable, same, per-user file") << false << "r" << "file" << "user" << false
                                                   << unwritable;
    QTest::newRow("portable, file unreadable") << false << "none" << "-" << "user" << false
                                               << unwritable;
    QTest::newRow("portable, file not writable, no home") << false << "r" << "nohome" << "beside"
                                                          << false << "";
    QTest::newRow("portable, nowhere") << false << "-" << "nohome" << "" << false << "$HOME";
    QTest::newRow("portable, FIFO") << false << "fifo" << "file" << "" << false << "FIFO";
    QTest::newRow("installed, run by root") << true << "+" << "-" << "user" << false << "";
    QTest::newRow("installed, older file") << true << "r" << "-" << "user" << true << "";
    QTest::newRow("installed, older writable file") << true << "rw" << "-" << "user" << true << "";
    QTest::newRow("installed, older and per-user file") << true << "rw" << "file" << "user"
                                                        << false << "";
    QTest::newRow("installed, older file unreadable") << true << "none" << "-" << "user" << false
                                                      << "";
    QTest::newRow("installed, FIFO beside") << true << "fifo" << "-" << "user" << false << "";
    QTest::newRow("installed, no home") << true << "+" << "nohome" << "" << false << "$HOME";
    QTest::newRow("installed, per-user FIFO") << true << "r" << "fifo" << "" << false << "FIFO";
    // clang-format on
}

void tst_SettingsPath::policy()
{
    QFETCH(bool, installed);
    QFETCH(QString, beside);
    QFETCH(QString, perUser);
    QFETCH(QString, path);
    QFETCH(bool, migrates);
    QFETCH(QString, says);

    platform::SettingsFacts facts;
    facts.programFolder = "/p";
    facts.installed = installed;
    facts.besideProgram.exists = beside != "-" && beside != "+";
    facts.besideProgram.writable = beside == "+" || beside == "rw";
    facts.besideProgram.readable = beside == "r" || beside == "rw" || beside == "fifo";
    facts.besideProgram.notRegular = beside == "fifo" ? "a FIFO" : "";
    if (perUser == "nohome") {
        facts.perUserProblem = "there is no per-user folder ($HOME is not set)";
    } else {
        facts.perUserFolder = "/h/.config/hueloft";
        facts.perUserFile.exists = perUser != "-";
        facts.perUserFile.notRegular = perUser == "fifo" ? "a FIFO" : "";
    }
    const hueloft::SettingsLocation location = hueloft::chooseSettingsLocation(facts);

    const std::string expected = path == "beside" ? "/p/HUELOFT.INI"
                                 : path == "user" ? "/h/.config/hueloft/HUELOFT.INI"
                                                  : "";
    QCOMPARE(location.problem.empty() ? location.path : std::string(), expected);
    QCOMPARE(location.readFrom, std::string(migrates ? "/p/HUELOFT.INI" : ""));
    const std::string said = location.problem.empty() ? location.note : location.problem;
    QVERIFY2(says.isEmpty() ? said.empty() : said.find(says.toStdString()) != std::string::npos,
             said.c_str());
    // The start-up line names both files.
    if (!location.note.empty())
        QVERIFY(location.note.find("/p/HUELOFT.INI") != std::string::npos &&
                location.note.find(location.path) != std::string::npos);
}

// The installation layout makes an installed copy; swatchy beside the program a portable one,
// wherever it lies.
void tst_SettingsPath::installedLayout()
{
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const std::string bin = QFile::encodeName(prefix.filePath("bin")).toStdString();
    const std::string lib = QFile::encodeName(prefix.filePath("lib/hueloft")).toStdString();
    QVERIFY(QDir().mkpath(prefix.filePath("bin")) && QDir().mkpath(prefix.filePath("lib/hueloft")));
    QVERIFY(!platform::settingsFacts(bin, lib).installed);
    QVERIFY(QFile(prefix.filePath("lib/hueloft/libswatchy.so")).open(QIODevice::WriteOnly));
    QVERIFY(platform::settingsFacts(bin, lib).installed);
    // bin can be written here, as by root: the installed copy still keeps out of it.
    QCOMPARE(locationOf(bin, lib).path, m_config.path().toStdString() + "/hueloft/HUELOFT.INI");
    QVERIFY(QFile(prefix.filePath("bin/libswatchy.so")).open(QIODevice::WriteOnly));
    QVERIFY(!platform::settingsFacts(bin, lib).installed);
    QCOMPARE(locationOf(bin, lib).path, bin + "/HUELOFT.INI");
}

QString tst_SettingsPath::locationAsOrdinaryUser(const QString &programFolder, bool *perUser)
{
    if (::geteuid() != 0) {
        const hueloft::SettingsLocation location = locationOf(programFolder.toStdString());
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
        const hueloft::SettingsLocation location = locationOf(programFolder.toStdString());
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
    QTest::newRow("file this user cannot write") << true << true << true;
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
        // Writable by everybody, but where this user's lack of that right is what is asked.
        QFile file(program.filePath(QStringLiteral("HUELOFT.INI")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setPermissions(perUser ? QFile::ReadOwner | QFile::ReadOther
                                            : QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadOther | QFile::WriteOther));
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
    // Started with another user's environment (sudo -E): this user's own home, never theirs.
    QTest::newRow("another user's HOME and XDG_CONFIG_HOME")
        << QByteArray("<other>/.config") << QByteArray("<other>") << QByteArray("<own>");
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
    QTemporaryDir other;
    if (home == "<other>") {
        if (::geteuid() != 0)
            QSKIP("needs root, to give a home to another user");
        QVERIFY(::chown(QFile::encodeName(other.path()), 65534, 65534) == 0);
        const QByteArray otherHome = QFile::encodeName(other.path());
        xdgConfigHome.replace("<other>", otherHome);
        home = otherHome;
        expected = QByteArray(::getpwuid(0)->pw_dir) + "/.config/hueloft/HUELOFT.INI";
    }
    set("XDG_CONFIG_HOME", xdgConfigHome);
    set("HOME", home);
    const hueloft::SettingsLocation location = locationOf("/nonexistent/hueloft-program");
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
    const hueloft::SettingsLocation location = locationOf(folder);
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
    QTest::newRow("FIFO") << "fifo" << QByteArray("a FIFO");
    QTest::newRow("link to /dev/null") << "devnull" << QByteArray("a character device");
    QTest::newRow("folder") << "folder" << QByteArray("a folder");
    // Neither read nor written: the per-user file is used, with the line that says so. (Every
    // other kind of entry in every kind of folder: tst_sharedfolders.)
    QTest::newRow("another user's FIFO in a sticky shared folder")
        << "planted fifo" << QByteArray("(unusable)");
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
    if (kind == "planted fifo") {
        if (::geteuid() != 0)
            QSKIP("needs root, to plant a file as another user");
        QVERIFY(::chmod(QFile::encodeName(dir.path()), 01777) == 0);
        QCOMPARE(QProcess::execute("runuser", {"-u", "nobody", "--", "mkfifo", "-m", "0666",
                                               QString::fromStdString(path)}),
                 0);
    }
    if (kind == "dangling")
        QVERIFY(::symlink(other.c_str(), path.c_str()) == 0);
    if (kind == "fifo")
        QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
    if (kind == "devnull")
        QVERIFY(::symlink("/dev/null", path.c_str()) == 0);
    if (kind == "folder")
        QVERIFY(::mkdir(path.c_str(), 0755) == 0);
    const platform::FileFacts facts = platform::fileFacts(path);
    if (reason == "(unusable)") {
        QVERIFY(facts.exists && !facts.readable && !facts.writable);
        QCOMPARE(QByteArray::fromStdString(facts.unusable),
                 QByteArray("it is a file that another user made in a folder others can write"));
        return;
    }
    QCOMPARE(QByteArray::fromStdString(facts.notRegular), reason);
    QVERIFY(facts.readable || kind == "none" || kind == "dangling" || !reason.isEmpty());
}

// The per-user folder made at exit: a failure names the folder and the real reason.
void tst_SettingsPath::folderCreation()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string top = QFile::encodeName(dir.path()).toStdString();
    QCOMPARE(platform::makeFoldersFor(top + "/a/b/hueloft/HUELOFT.INI"), std::string());
    struct stat st = {};
    QVERIFY(::stat((top + "/a/b/hueloft").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    QCOMPARE(platform::makeFoldersFor(top + "/a/b/hueloft/HUELOFT.INI"), std::string());

    // A file where a folder should be: the reason is that, not "No such file or directory".
    QFile blocker(dir.filePath(QStringLiteral("plain")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    const std::string error = platform::makeFoldersFor(top + "/plain/hueloft/HUELOFT.INI");
    QVERIFY2(error.find(top + "/plain/hueloft") != std::string::npos
                 && error.find("Not a directory") != std::string::npos,
             error.c_str());
}

QTEST_GUILESS_MAIN(tst_SettingsPath)
#include "tst_settingspath.moc"
