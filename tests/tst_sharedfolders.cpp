// SPDX-License-Identifier: MIT
// Which entries of a folder the program uses: every kind of folder, times every kind of entry at
// the settings file's name and at a library's name, times each use (read, save, load), checked
// cell by cell against the table that docs/RELIABILITY.md gives users. The test runs as root:
// the entries of other users are made by chown.

#include "platform/library.h"
#include "platform/profile.h"
#include "platform/settingsfacts.h"

#include <QtTest>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;
constexpr uid_t kDaemon = 1;

// Who owns a folder of that kind: a team folder (group or ACL) is root's, as an administrator
// sets one up; the folders open to all belong to a third user, so that the folder owner's
// file is not this user's.
uid_t folderOwner(const QString &kind)
{
    return kind == QLatin1String("1777") || kind == QLatin1String("0777") ? kDaemon : 0;
}

const QStringList kFolders = {"0700", "0755", "1777", "1775 group", "1755 + ACL", "0777"};
const QStringList kEntries = {"none",
                              "own file",
                              "own link",
                              "another user's file",
                              "another user's link",
                              "the folder owner's file",
                              "the folder owner's file, two links",
                              "a FIFO"};

// The table of docs/RELIABILITY.md that opens with "| entry |": cell text by entry and folder.
QMap<QString, QMap<QString, QString>> documentedTable()
{
    QFile doc(QStringLiteral(RELIABILITY_DOC));
    QMap<QString, QMap<QString, QString>> table;
    if (!doc.open(QIODevice::ReadOnly))
        return table;
    QStringList header;
    for (const QByteArray &raw : doc.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.startsWith(u'|')) {
            if (!header.isEmpty() && !table.isEmpty())
                break;
            continue;
        }
        QStringList cells = line.mid(1, line.size() - 2).split(u'|');
        for (QString &cell : cells)
            cell = cell.trimmed().remove(u'`').remove(u'*');
        if (header.isEmpty()) {
            if (cells.value(0) == QLatin1String("entry"))
                header = cells;
            continue;
        }
        if (cells.value(0).startsWith(u'-'))
            continue;
        for (int i = 1; i < cells.size() && i < header.size(); ++i)
            table[cells[0]][header[i]] = cells[i];
    }
    return table;
}

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

class tst_SharedFolders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void entries_data();
    void entries();

private:
    // Makes Folder of that kind, and at Name in it an entry of that kind whose settings text
    // (or library) is Content; Private is a folder of this user's for targets and second links.
    bool plant(const QString &folderKind, const QString &entry, const QString &folder,
               const QString &name, const QByteArray &content, const QString &privateFolder);

    QTemporaryDir m_top;
    QMap<QString, QMap<QString, QString>> m_table;
    QByteArray m_library;
};

void tst_SharedFolders::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("needs root, to give entries and folders to other users");
    QVERIFY(m_top.isValid());
    QVERIFY(::chmod(bytes(m_top.path()), 0755) == 0);
    m_table = documentedTable();
    QCOMPARE(m_table.keys().size(), kEntries.size());
    QFile library(QStringLiteral(SWATCHY_LIBRARY));
    QVERIFY(library.open(QIODevice::ReadOnly));
    m_library = library.readAll();
}

void tst_SharedFolders::entries_data()
{
    QTest::addColumn<QString>("folderKind");
    QTest::addColumn<QString>("entry");
    for (const QString &folder : kFolders) {
        for (const QString &entry : kEntries)
            QTest::newRow(qPrintable(folder + ", " + entry)) << folder << entry;
    }
}

bool tst_SharedFolders::plant(const QString &folderKind, const QString &entry,
                              const QString &folder, const QString &name,
                              const QByteArray &content, const QString &privateFolder)
{
    const QString path = folder + u'/' + name;
    const QString target = privateFolder + u'/' + name;
    if (entry == QLatin1String("own file") || entry.startsWith(QLatin1String("another user's f")) ||
        entry.startsWith(QLatin1String("the folder owner's"))) {
        if (!writeFile(path, content))
            return false;
        const uid_t owner = entry.startsWith(QLatin1String("another")) ? kNobody
                            : entry.startsWith(QLatin1String("the folder")) ? folderOwner(folderKind)
                                                                            : 0;
        if (::chown(bytes(path), owner, owner) != 0 || ::chmod(bytes(path), 0666) != 0)
            return false;
        if (entry.endsWith(QLatin1String("two links")) && ::link(bytes(path), bytes(target)) != 0)
            return false;
    } else if (entry.endsWith(QLatin1String("link"))) {
        // The link names a good file of this user's in a private folder: only the link is judged.
        if (!writeFile(target, content) || ::symlink(bytes(target), bytes(path)) != 0)
            return false;
        if (entry.startsWith(QLatin1String("another")) && ::lchown(bytes(path), kNobody, kNobody) != 0)
            return false;
    } else if (entry == QLatin1String("a FIFO")) {
        if (::mkfifo(bytes(path), 0666) != 0)
            return false;
    }
    return true;
}

void tst_SharedFolders::entries()
{
    QFETCH(QString, folderKind);
    QFETCH(QString, entry);
    const QString expected = m_table.value(entry).value(folderKind, QStringLiteral("(missing)"));
    QVERIFY2(expected != QLatin1String("(missing)"), "no such cell in docs/RELIABILITY.md");

    static int serial = 0;
    const QString base = m_top.filePath(QString::number(++serial));
    const QString folder = base + QStringLiteral("/folder");
    const QString privateFolder = base + QStringLiteral("/private");
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(privateFolder));
    QVERIFY(plant(folderKind, entry, folder, QStringLiteral("HUELOFT.INI"),
                  "[RGB Color]\nRed=201\n", privateFolder));
    QVERIFY(plant(folderKind, entry, folder, QStringLiteral("libswatchy.so"), m_library,
                  privateFolder));
    // The folder's kind last, once the entries are in place.
    QVERIFY(::chown(bytes(folder), folderOwner(folderKind), folderOwner(folderKind)) == 0);
    const mode_t mode = folderKind == QLatin1String("1755 + ACL") ? 01755
                                                                 : folderKind.left(4).toUInt(nullptr, 8);
    QVERIFY(::chmod(bytes(folder), mode) == 0);
    if (folderKind == QLatin1String("1755 + ACL"))
        QVERIFY(run(QStringLiteral("setfacl"), {"-m", "u:nobody:rwx", folder}));

    const QByteArray settings = bytes(folder + QStringLiteral("/HUELOFT.INI"));
    QStringList used;
    // Read: the value in the file, and the start's facts say it can be the settings.
    const bool read = platform::GetPrivateProfileIntA("RGB Color", "Red", -1, settings) == 201;
    const platform::FileFacts facts = platform::fileFacts(settings.toStdString());
    QCOMPARE(facts.readable && facts.notRegular.empty(), read);
    if (read)
        used << QStringLiteral("read");
    // Save: a write and its flush succeed, and the file the name leads to has the new value.
    if (platform::WritePrivateProfileStringA("RGB Color", "Red", "202", settings) &&
        platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings)) {
        QCOMPARE(platform::GetPrivateProfileIntA("RGB Color", "Red", -1, settings), 202u);
        used << QStringLiteral("save");
    }
    // Load: the library at its name in that folder.
    std::string error;
    if (platform::Library *library =
            platform::loadLibrary(u"swatchy.dll", {bytes(folder).toStdString(), {}}, error)) {
        platform::forgetLibrary(library);
        used << QStringLiteral("load");
    }
    const QString got = used.isEmpty() ? QStringLiteral("—") : used.join(u' ');
    QVERIFY2(got == expected, qPrintable(QStringLiteral("used: %1; the table says: %2; %3")
                                             .arg(got, expected, QString::fromStdString(error))));
    // Whatever was refused is as it was: another user's file keeps its text.
    if (!used.contains(QLatin1String("save")) && entry.endsWith(QLatin1String("file"))) {
        QFile file(QString::fromLatin1(settings));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[RGB Color]\nRed=201\n"));
    }
}

QTEST_GUILESS_MAIN(tst_SharedFolders)
#include "tst_sharedfolders.moc"
