// SPDX-License-Identifier: MIT
// Where the settings file lives: beside the program when it can be, in the per-user folder
// when the program's folder cannot be written.

#include "editor/settings/settingspath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

class tst_SettingsPath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void location_data();
    void location();

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
        const SettingsLocation location = settingsLocationFor(programFolder);
        *perUser = location.perUser;
        return location.path;
    }
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return QStringLiteral("<pipe failed>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const SettingsLocation location = settingsLocationFor(programFolder);
        const QByteArray answer = (location.perUser ? "1" : "0") + location.path.toUtf8();
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

QTEST_GUILESS_MAIN(tst_SettingsPath)
#include "tst_settingspath.moc"
