// SPDX-License-Identifier: MIT
#include "platform/profile.h"
#include "tests/reachablecopy.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace platform;

namespace {

// One write that reaches the disk before it returns: held, then flushed. Most checks here look
// at the file's bytes after each write.
int writeNow(const char *section, const char *key, const char *value, const char *file)
{
    if (!WritePrivateProfileStringA(section, key, value, file))
        return 0;
    return WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
}

// A literal with its NUL bytes.
template<std::size_t N> QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, int(N - 1));
}

QByteArray linkText(const QString &path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return n < 0 ? QByteArray() : QByteArray(buffer, int(n));
}

ino_t inode(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// A null QByteArray in a table stands for a null pointer (or, for a file, no file at all).
const char *arg(const QByteArray &a)
{
    return a.isNull() ? nullptr : a.constData();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = f.readAll();
    if (bytes.isNull())
        bytes = QByteArray(""); // an empty file is not a missing one
    return bytes;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

constexpr uid_t nobody = 65534;

// The writer and its profile library, where the user nobody can run them too.
QString writerPath()
{
    static const QString copies = reachableCopies(
        {QStringLiteral(PROFILE_WRITER_PATH "=tests/profile_writer"),
         QStringLiteral(HUELOFT_PROFILE_LIBRARY "=bin/libhueloft-profile.so")});
    return copies.isEmpty() ? QStringLiteral(PROFILE_WRITER_PATH)
                            : copies + QStringLiteral("/tests/profile_writer");
}

auto asNobody()
{
    return [] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(77);
    };
}

// Every extended attribute (the ACL among them) of a file, name and value.
QByteArrayList attributes(const QByteArray &path)
{
    char names[4096];
    const ssize_t n = ::listxattr(path, names, sizeof names);
    QByteArrayList all;
    for (ssize_t at = 0; at < n; at += ssize_t(std::strlen(names + at)) + 1) {
        char value[4096];
        const ssize_t size = ::getxattr(path, names + at, value, sizeof value);
        all.append(QByteArray(names + at) + "=" + QByteArray(value, int(qMax<ssize_t>(size, 0))));
    }
    std::sort(all.begin(), all.end());
    return all;
}

// Text as UTF-16 with its byte-order mark.
QByteArray asUtf16(const QString &text, bool little)
{
    QByteArray bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        bytes.append(little ? low : high).append(little ? high : low);
    }
    return bytes;
}

} // namespace

class tst_Profile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void readInteger_data();
    void readInteger();
    void readString_data();
    void readString();
    void write_data();
    void write();
    void writeSequence();
    void lineEnds_data();
    void lineEnds();

    void failures_data();
    void failures();
    void failuresAsOtherUser_data();
    void failuresAsOtherUser();
    void fullDisk();
    void tooLargeFile_data();
    void tooLargeFile();
    void locksOfAnotherUser();

    void killedWriter_data();
    void killedWriter();
    void staleTemporaries();
    void plantedBackups_data();
    void plantedBackups();
    void symbolicLinks_data();
    void symbolicLinks();
    void strangersFileMadeLater();
    void permissions_data();
    void permissions();
    void identityKept_data();
    void identityKept();
    void utf16_data();
    void utf16();
    void largeFile();
    void largeFileReadsAgreeWithSmall_data();
    void largeFileReadsAgreeWithSmall();
    void keptFileSeesChanges_data();
    void keptFileSeesChanges();

private:
    QByteArray iniPath() const { return QFile::encodeName(m_dir.filePath("HUELOFT.INI")); }
    struct Run
    {
        int exitCode = -1;
        QByteArray error;
    };
    Run runWriter(const QStringList &arguments, const std::function<void()> &inChild);

    QTemporaryDir m_dir;
};

void tst_Profile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    ::umask(022);
    // Backups of writes in place go to the user's state folder: this test's own.
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.filePath("state")));
}

tst_Profile::Run tst_Profile::runWriter(const QStringList &arguments,
                                        const std::function<void()> &inChild)
{
    QProcess process;
    process.setChildProcessModifier(inChild);
    process.start(writerPath(), arguments);
    Run run;
    if (!process.waitForFinished(20000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.error = process.readAllStandardError().trimmed();
    return run;
}

// ---- reading ---------------------------------------------------------------------------

void tst_Profile::readInteger_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("defaultValue");
    QTest::addColumn<quint32>("expected");

    const QByteArray s = "[S]\nk=";
    QTest::newRow("missing file") << QByteArray() << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("missing section")
        << QByteArray("[T]\nk=1\n") << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("missing key") << QByteArray("[S]\nj=1\n") << QByteArray("S") << QByteArray("k")
                                 << 7 << 7u;
    QTest::newRow("negative default")
        << QByteArray("") << QByteArray("S") << QByteArray("k") << -5 << 0xFFFFFFFBu;
    QTest::newRow("plain") << s + "12\n" << QByteArray("S") << QByteArray("k") << 7 << 12u;
    QTest::newRow("names ignore case")
        << QByteArray("[Sec]\nKey=5\n") << QByteArray("sEC") << QByteArray("kEY") << 7 << 5u;
    QTest::newRow("non-ASCII names do not fold")
        << QByteArray("[\xc3\x84]\nk=5\n") << QByteArray("\xc3\xa4") << QByteArray("k") << 7 << 7u;
    QTest::newRow("arguments lose spaces") << s + "3\n"
                                           << QByteArray("  S ") << QByteArray(" k  ") << 7 << 3u;
    QTest::newRow("arguments keep tabs") << s + "3\n"
                                         << QByteArray("S") << QByteArray("\tk") << 7 << 7u;
    QTest::newRow("blanks in the file") << QByteArray(" \t[ \vS\t ]\n \v k \t= \t 42 \t\n")
                                        << QByteArray("S") << QByteArray("k") << 7 << 42u;
    QTest::newRow("missing ]") << QByteArray("[S\nk=3\n") << QByteArray("S") << QByteArray("k") << 7
                               << 3u;
    QTest::newRow("text after ]") << QByteArray("[S] more ]\nk=3\n") << QByteArray("S")
                                  << QByteArray("k") << 7 << 3u;
    QTest::newRow("not a header") << QByteArray("x[S]\nk=3\n") << QByteArray("S") << QByteArray("k")
                                  << 7 << 7u;
    QTest::newRow("comment") << QByteArray("[S]\n ;k=1\nk=2\n") << QByteArray("S")
                             << QByteArray("k") << 7 << 2u;
    QTest::newRow("only a comment")
        << QByteArray("[S]\n\t;k=1\n") << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("hash is text") << QByteArray("[S]\n#k=1\nk=2\n") << QByteArray("S")
                                  << QByteArray("#k") << 7 << 1u;
    QTest::newRow("line without =")
        << QByteArray("[S]\nk\nk=4\n") << QByteArray("S") << QByteArray("k") << 7 << 4u;
    QTest::newRow("before the first section")
        << QByteArray("k=1\n[S]\n") << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("first duplicate section only")
        << QByteArray("[S]\nk=1\n[s]\nj=3\n") << QByteArray("S") << QByteArray("j") << 7 << 7u;
    QTest::newRow("first duplicate key")
        << QByteArray("[S]\nk=1\nK=2\n") << QByteArray("S") << QByteArray("k") << 7 << 1u;
    QTest::newRow("next section ends it")
        << QByteArray("[S]\n[T]\nk=1\n") << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("CRLF") << QByteArray("[S]\r\nk=1\r\n") << QByteArray("S") << QByteArray("k") << 7
                          << 1u;
    QTest::newRow("CR alone") << QByteArray("[S]\rk=8\r") << QByteArray("S") << QByteArray("k") << 7
                              << 8u;
    QTest::newRow("mixed") << QByteArray("[T]\r\n[S]\n\rk=9\r\n") << QByteArray("S")
                           << QByteArray("k") << 7 << 9u;
    QTest::newRow("no final line end")
        << QByteArray("[S]\nk=11") << QByteArray("S") << QByteArray("k") << 7 << 11u;
    QTest::newRow("byte order mark hides the header")
        << QByteArray("\xEF\xBB\xBF[S]\nk=1\n") << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("NUL ends the digits")
        << raw("[S]\nk=1\0002\n") << QByteArray("S") << QByteArray("k") << 7 << 1u;

    QTest::newRow("minus one") << s + "-1" << QByteArray("S") << QByteArray("k") << 7
                               << 0xFFFFFFFFu;
    QTest::newRow("plus") << s + "+1" << QByteArray("S") << QByteArray("k") << 7 << 1u;
    QTest::newRow("2^32 wraps") << s + "4294967296" << QByteArray("S") << QByteArray("k") << 7
                                << 0u;
    QTest::newRow("2^32 + 1") << s + "4294967297" << QByteArray("S") << QByteArray("k") << 7 << 1u;
    QTest::newRow("-(2^32 + 1)") << s + "-4294967297" << QByteArray("S") << QByteArray("k") << 7
                                 << 0xFFFFFFFFu;
    QTest::newRow("twenty nines") << s + "99999999999999999999" << QByteArray("S")
                                  << QByteArray("k") << 7 << 1661992959u;
    QTest::newRow("stops at a letter")
        << s + "42A9" << QByteArray("S") << QByteArray("k") << 7 << 42u;
    QTest::newRow("102abc") << s + "102abc" << QByteArray("S") << QByteArray("k") << 7 << 102u;
    QTest::newRow("stops at a blank")
        << s + "12 34" << QByteArray("S") << QByteArray("k") << 7 << 12u;
    QTest::newRow("stops at ;") << s + "12;c" << QByteArray("S") << QByteArray("k") << 7 << 12u;
    QTest::newRow("no digits") << s + "abc" << QByteArray("S") << QByteArray("k") << 7 << 0u;
    QTest::newRow("letter first") << s + "B42" << QByteArray("S") << QByteArray("k") << 7 << 0u;
    QTest::newRow("sign alone") << s + "-" << QByteArray("S") << QByteArray("k") << 7 << 0u;
    QTest::newRow("blank after sign") << s + "- 5" << QByteArray("S") << QByteArray("k") << 7 << 0u;
    QTest::newRow("empty") << s + "\n" << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("blanks only") << s + " \t " << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("empty quotes") << s + "\"\"" << QByteArray("S") << QByteArray("k") << 7 << 7u;
    QTest::newRow("quoted") << s + "\" 12\"" << QByteArray("S") << QByteArray("k") << 7 << 12u;
    QTest::newRow("hexadecimal") << s + "0x1F" << QByteArray("S") << QByteArray("k") << 7 << 31u;
    QTest::newRow("hexadecimal, lower case")
        << s + "0xff" << QByteArray("S") << QByteArray("k") << 7 << 255u;
    QTest::newRow("negative hexadecimal")
        << s + "-0x10" << QByteArray("S") << QByteArray("k") << 7 << 0xFFFFFFF0u;
    QTest::newRow("hexadecimal wraps")
        << s + "0x123456789" << QByteArray("S") << QByteArray("k") << 7 << 0x23456789u;
    QTest::newRow("0x alone") << s + "0x" << QByteArray("S") << QByteArray("k") << 7 << 0u;
    QTest::newRow("0X is not hexadecimal")
        << s + "0X1F" << QByteArray("S") << QByteArray("k") << 7 << 0u;
    QTest::newRow("leading zeros") << s + "007" << QByteArray("S") << QByteArray("k") << 7 << 7u;
}

void tst_Profile::readInteger()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(int, defaultValue);
    QFETCH(quint32, expected);

    QFile::remove(m_dir.filePath("HUELOFT.INI"));
    if (!file.isNull())
        writeBytes(m_dir.filePath("HUELOFT.INI"), file);
    QCOMPARE(GetPrivateProfileIntA(section, key, defaultValue, iniPath()), expected);
}

void tst_Profile::readString_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("defaultValue");
    QTest::addColumn<uint>("size");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray s = "[S]\nk=";
    const QByteArray S("S"), k("k");
    QTest::newRow("value keeps its case")
        << s + "Mixed Case" << S << k << QByteArray("d") << 99u << QByteArray("Mixed Case");
    QTest::newRow("double quotes")
        << s + "\"a b\"" << S << k << QByteArray("d") << 99u << QByteArray("a b");
    QTest::newRow("single quotes")
        << s + " 'a b' " << S << k << QByteArray("d") << 99u << QByteArray("a b");
    QTest::newRow("one pair only")
        << s + "\"\"x\"\"" << S << k << QByteArray("d") << 99u << QByteArray("\"x\"");
    QTest::newRow("unmatched quotes")
        << s + "\"x'" << S << k << QByteArray("d") << 99u << QByteArray("\"x'");
    QTest::newRow("lone quote") << s + "\"" << S << k << QByteArray("d") << 99u << QByteArray("\"");
    QTest::newRow("blanks inside quotes stay")
        << s + "\" x \"" << S << k << QByteArray("d") << 99u << QByteArray(" x ");
    QTest::newRow("no end-of-line comment")
        << s + "v ;c #d" << S << k << QByteArray("d") << 99u << QByteArray("v ;c #d");
    QTest::newRow("empty value is not the default")
        << s + "\r\n"
        << S << k << QByteArray("d") << 99u << QByteArray("");
    QTest::newRow("odd bytes") << raw("[S]\nk=\xff\0\xfe\n") << S << k << QByteArray("d") << 99u
                               << raw("\xff\0\xfe");
    QTest::newRow("second = is text")
        << s + "a=b" << S << k << QByteArray("d") << 99u << QByteArray("a=b");
    QTest::newRow("truncated") << s + "val1" << S << k << QByteArray("d") << 4u
                               << QByteArray("val");
    QTest::newRow("exact fit") << s + "val1" << S << k << QByteArray("d") << 5u
                               << QByteArray("val1");
    QTest::newRow("room for the zero only")
        << s + "a" << S << k << QByteArray("d") << 1u << QByteArray("");
    QTest::newRow("default") << QByteArray("") << S << k << QByteArray("dflt") << 99u
                             << QByteArray("dflt");
    QTest::newRow("default loses trailing spaces")
        << QByteArray("") << S << k << QByteArray(" d  ") << 99u << QByteArray(" d");
    QTest::newRow("default truncated")
        << QByteArray("") << S << k << QByteArray("default") << 3u << QByteArray("de");
    QTest::newRow("null default") << QByteArray("") << S << k << QByteArray() << 99u
                                  << QByteArray("");
    QTest::newRow("null key") << s + "1" << S << QByteArray() << QByteArray("d") << 99u
                              << QByteArray("d");
    QTest::newRow("null section") << s + "1" << QByteArray() << k << QByteArray("d") << 99u
                                  << QByteArray("d");
}

void tst_Profile::readString()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, defaultValue);
    QFETCH(uint, size);
    QFETCH(QByteArray, expected);

    writeBytes(m_dir.filePath("HUELOFT.INI"), file);
    QByteArray buffer(128, '\x55');
    const quint32 n = GetPrivateProfileStringA(arg(section), arg(key), arg(defaultValue),
                                               buffer.data(), size, iniPath());
    QCOMPARE(QByteArray(buffer.constData(), int(n)), expected);
    QCOMPARE(buffer.at(int(n)), '\0');
    QCOMPARE(buffer.at(int(n) + 1), '\x55'); // nothing written past the zero

    // No room at all: nothing is written.
    buffer.fill('\x55');
    QCOMPARE(GetPrivateProfileStringA(arg(section), arg(key), arg(defaultValue), buffer.data(), 0,
                                      iniPath()),
             0u);
    QCOMPARE(buffer.at(0), '\x55');
}

// ---- writing ---------------------------------------------------------------------------

void tst_Profile::write_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("after"); // null: no file

    const QByteArray none;
    const QByteArray A("A"), x("x"), y("y");
    QTest::newRow("new file") << none << A << x << QByteArray("1") << 1 << QByteArray("[A]\nx=1\n");
    QTest::newRow("empty file") << QByteArray("") << A << x << QByteArray("1") << 1
                                << QByteArray("[A]\nx=1\n");
    QTest::newRow("names lose spaces, value kept as given")
        << none << QByteArray("  A ") << QByteArray(" My Key ") << QByteArray(" \"v\" ;c ") << 1
        << QByteArray("[A]\nMy Key= \"v\" ;c \n");
    QTest::newRow("empty value") << none << A << x << QByteArray("") << 1
                                 << QByteArray("[A]\nx=\n");

    QTest::newRow("section appended, no blank line")
        << QByteArray("[B]\nz=3\n") << A << x << QByteArray("1") << 1
        << QByteArray("[B]\nz=3\n[A]\nx=1\n");
    QTest::newRow("line end added before a new section")
        << QByteArray("[B]\nz=3") << A << x << QByteArray("1") << 1
        << QByteArray("[B]\nz=3\n[A]\nx=1\n");
    QTest::newRow("blank lines at the end stay")
        << QByteArray("[B]\n\n\n") << A << x << QByteArray("1") << 1
        << QByteArray("[B]\n\n\n[A]\nx=1\n");
    QTest::newRow("text only, no line end") << QByteArray("; note") << A << x << QByteArray("1")
                                            << 1 << QByteArray("; note\n[A]\nx=1\n");

    QTest::newRow("key after the last key")
        << QByteArray("[A]\nx=1\n; c\n\n[B]\nz=3\n") << A << y << QByteArray("2") << 1
        << QByteArray("[A]\nx=1\ny=2\n; c\n\n[B]\nz=3\n");
    QTest::newRow("key after keys and other lines")
        << QByteArray("[A]\nx=1\nno equals\nw=3\n;c\n") << A << y << QByteArray("2") << 1
        << QByteArray("[A]\nx=1\nno equals\nw=3\ny=2\n;c\n");
    QTest::newRow("key right after a header without keys")
        << QByteArray("[A]\n; c\n[B]\n") << A << y << QByteArray("2") << 1
        << QByteArray("[A]\ny=2\n; c\n[B]\n");
    QTest::newRow("header without line end")
        << QByteArray("[A]") << A << y << QByteArray("2") << 1 << QByteArray("[A]\ny=2\n");
    QTest::newRow("last key without line end")
        << QByteArray("[A]\nx=1") << A << y << QByteArray("2") << 1
        << QByteArray("[A]\nx=1\ny=2\n");
    QTest::newRow("key into the first duplicate section")
        << QByteArray("[A]\nx=1\n[a]\nq=1\n") << A << y << QByteArray("2") << 1
        << QByteArray("[A]\nx=1\ny=2\n[a]\nq=1\n");
    QTest::newRow("keys before the first section do not count")
        << QByteArray("y=0\n[A]\n") << A << y << QByteArray("2") << 1
        << QByteArray("y=0\n[A]\ny=2\n");
    QTest::newRow("comment is not the key")
        << QByteArray("[A]\n;y=0\n") << A << y << QByteArray("2") << 1
        << QByteArray("[A]\ny=2\n;y=0\n");

    QTest::newRow("replaced, file's spelling kept")
        << QByteArray("[Sec]\nKey=old\n") << QByteArray("sEC") << QByteArray("kEY")
        << QByteArray("new") << 1 << QByteArray("[Sec]\nKey=new\n");
    QTest::newRow("replaced within the line's own blanks")
        << QByteArray(" [ A ] x\r\n  x \t=  old  \r\n") << A << x << QByteArray("new") << 1
        << QByteArray(" [ A ] x\r\n  x \t=  new\r\n");
    QTest::newRow("replaced without a line end")
        << QByteArray("[A]\nx=1") << A << x << QByteArray("22") << 1 << QByteArray("[A]\nx=22");
    QTest::newRow("replaced empty value")
        << QByteArray("[A]\nx=\n") << A << x << QByteArray("5") << 1 << QByteArray("[A]\nx=5\n");
    QTest::newRow("only the first duplicate key")
        << QByteArray("[A]\nx=1\nX=2\n") << A << x << QByteArray("9") << 1
        << QByteArray("[A]\nx=9\nX=2\n");
    QTest::newRow("same value, nothing changes")
        << QByteArray("[A]\r\n x = 1\r") << A << x << QByteArray("1") << 1
        << QByteArray("[A]\r\n x = 1\r");
    QTest::newRow("blanks after the old value go")
        << QByteArray("[A]\r\nx=1  \r") << A << x << QByteArray("1") << 1
        << QByteArray("[A]\r\nx=1\r");
    QTest::newRow("untouched bytes stay")
        << raw("\xEF\xBB\xBFjunk\0\xff\r\n[A]\nx=1\n;\xfe\0\n[B]\n\xc3(=\0\n") << A << x
        << QByteArray("2") << 1
        << raw("\xEF\xBB\xBFjunk\0\xff\r\n[A]\nx=2\n;\xfe\0\n[B]\n\xc3(=\0\n");
    QTest::newRow("byte order mark hides the first header")
        << QByteArray("\xEF\xBB\xBF[A]\nx=1\n") << A << x << QByteArray("2") << 1
        << QByteArray("\xEF\xBB\xBF[A]\nx=1\n[A]\nx=2\n");

    QTest::newRow("key deleted") << QByteArray("[A]\nx=1\ny=2\n") << A << x << none << 1
                                 << QByteArray("[A]\ny=2\n");
    QTest::newRow("last key deleted")
        << QByteArray("[A]\nx=1\ny=2") << A << y << none << 1 << QByteArray("[A]\nx=1\n");
    QTest::newRow("first duplicate key deleted")
        << QByteArray("[A]\nx=1\nx=2\n") << A << x << none << 1 << QByteArray("[A]\nx=2\n");
    QTest::newRow("missing key, nothing to delete")
        << QByteArray("[A]\nx=1") << A << y << none << 1 << QByteArray("[A]\nx=1");
    QTest::newRow("no file, nothing to delete") << none << A << y << none << 1 << none;
    QTest::newRow("section deleted")
        << QByteArray("pre\r\n[A]\r\nx=1\r\n;c\r\nother\r\n[B]\r\nz=3\r\n") << A << none << none
        << 1 << QByteArray("pre\r\n[B]\r\nz=3\r\n");
    QTest::newRow("value not needed to delete a section")
        << QByteArray("[A]\nx=1\n[B]\nz=3\n") << A << none << QByteArray("v") << 1
        << QByteArray("[B]\nz=3\n");
    QTest::newRow("last section deleted") << QByteArray("[A]\nx=1\n[B]\nz=3") << QByteArray("b")
                                          << none << none << 1 << QByteArray("[A]\nx=1\n");
    QTest::newRow("first duplicate section deleted")
        << QByteArray("[A]\nx=1\n[A]\ny=2\n") << A << none << none << 1 << QByteArray("[A]\ny=2\n");
    QTest::newRow("no file, no section to delete") << none << A << none << none << 1 << none;

    QTest::newRow("null section fails") << QByteArray("[A]\nx=1\n") << none << x << QByteArray("2")
                                        << 0 << QByteArray("[A]\nx=1\n");
    QTest::newRow("all null flushes nothing")
        << QByteArray("[A]\nx=1\n") << none << none << none << 1 << QByteArray("[A]\nx=1\n");
}

void tst_Profile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(int, result);
    QFETCH(QByteArray, after);

    const QString path = m_dir.filePath("HUELOFT.INI");
    QFile::remove(path);
    if (!before.isNull())
        writeBytes(path, before);
    const ino_t original = inode(path);

    QCOMPARE(writeNow(arg(section), arg(key), arg(value), iniPath()) != 0,
             result != 0);
    if (!before.isNull() && before == after)
        QCOMPARE(inode(path), original); // not even rewritten
    QCOMPARE(profileErrorText().empty(), result != 0);
    QCOMPARE(readBytes(path), after);
    QCOMPARE(entries(m_dir.path()), after.isNull() ? QStringList() : QStringList{"HUELOFT.INI"});

    // What was written reads back.
    if (result && !section.isNull() && !key.isNull() && !value.isNull()) {
        QByteArray buffer(256, '\0');
        const quint32 n = GetPrivateProfileStringA(section, key, "(none)", buffer.data(),
                                                   quint32(buffer.size()), iniPath());
        const QByteArray trimmed = value.trimmed();
        if (before.startsWith("\xEF\xBB\xBF") || trimmed.startsWith('"'))
            return; // the first match is elsewhere, or the quotes go
        QCOMPARE(QByteArray(buffer.constData(), int(n)), trimmed);
    }
}

void tst_Profile::writeSequence()
{
    const QString path = m_dir.filePath("HUELOFT.INI");
    QFile::remove(path);
    QVERIFY(writeNow("A", "x", "1", iniPath()));
    QVERIFY(writeNow("A", "y", "2", iniPath()));
    QVERIFY(writeNow("B", "z", "3", iniPath()));
    QCOMPARE(readBytes(path), QByteArray("[A]\nx=1\ny=2\n[B]\nz=3\n"));
    QVERIFY(writeNow("a", "X", "10", iniPath()));
    QCOMPARE(readBytes(path), QByteArray("[A]\nx=10\ny=2\n[B]\nz=3\n"));
    QCOMPARE(GetPrivateProfileIntA("b", "Z", 0, iniPath()), 3u);

    // The same file as Windows writes it keeps its CRLF.
    writeBytes(path, "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    QVERIFY(writeNow("a", "X", "10", iniPath()));
    QVERIFY(writeNow("A", "w", "4", iniPath()));
    QCOMPARE(readBytes(path), QByteArray("[A]\r\nx=10\r\ny=2\r\nw=4\r\n[B]\r\nz=3\r\n"));

    // Nothing is cached: a change made by someone else is seen by the next call.
    writeBytes(path, "[A]\nx=77\n");
    QCOMPARE(GetPrivateProfileIntA("A", "x", 0, iniPath()), 77u);
    QVERIFY(writeNow("A", "y", "5", iniPath()));
    QCOMPARE(readBytes(path), QByteArray("[A]\nx=77\ny=5\n"));
}

void tst_Profile::lineEnds_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    // Writing A/y=2 and C/z=3: both new lines take the file's first line end.
    QTest::newRow("LF") << QByteArray("[A]\nx=1\n") << QByteArray("[A]\nx=1\ny=2\n[C]\nz=3\n");
    QTest::newRow("CRLF") << QByteArray("[A]\r\nx=1\r\n")
                          << QByteArray("[A]\r\nx=1\r\ny=2\r\n[C]\r\nz=3\r\n");
    QTest::newRow("CR") << QByteArray("[A]\rx=1\r") << QByteArray("[A]\rx=1\ry=2\r[C]\rz=3\r");
    QTest::newRow("mixed, CRLF first")
        << QByteArray("[A]\r\nx=1\n") << QByteArray("[A]\r\nx=1\ny=2\r\n[C]\r\nz=3\r\n");
    QTest::newRow("mixed, CR first")
        << QByteArray("; c\r[A]\nx=1") << QByteArray("; c\r[A]\nx=1\ry=2\r[C]\rz=3\r");
    QTest::newRow("LF then CR is two line ends")
        << QByteArray("[A]\n\rx=1\n\r") << QByteArray("[A]\n\rx=1\ny=2\n\r[C]\nz=3\n");
}

void tst_Profile::lineEnds()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    const QString path = m_dir.filePath("HUELOFT.INI");
    writeBytes(path, before);
    QVERIFY(writeNow("A", "y", "2", iniPath()));
    QVERIFY(writeNow("C", "z", "3", iniPath()));
    QCOMPARE(readBytes(path), after);
    QCOMPARE(GetPrivateProfileIntA("A", "x", 0, iniPath()), 1u);
}

// ---- failures --------------------------------------------------------------------------

void tst_Profile::failures_data()
{
    QTest::addColumn<QString>("name");   // within the test folder
    QTest::addColumn<QString>("folder"); // made before the write, if not empty
    QTest::addColumn<QByteArray>("reason");

    QTest::newRow("missing folder")
        << "missing/HUELOFT.INI" << QString() << QByteArray("No such file or directory");
    QTest::newRow("path is a folder") << "folder"
                                      << "folder" << QByteArray("Is a directory");
    QTest::newRow("path ends with a slash") << "new/" << QString() << QByteArray("Is a directory");
    QTest::newRow("folder is a file")
        << "HUELOFT.INI/x.ini" << QString() << QByteArray("Not a directory");
}

void tst_Profile::failures()
{
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QFETCH(QByteArray, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray existing = "[A]\nx=1\n";
    writeBytes(dir.filePath("HUELOFT.INI"), existing);
    if (!folder.isEmpty())
        QVERIFY(QDir(dir.path()).mkdir(folder));
    const QStringList before = entries(dir.path());

    const QByteArray path = QFile::encodeName(dir.path() + "/" + name);
    QCOMPARE(writeNow("A", "x", "2", path), 0);
    QCOMPARE(QByteArray::fromStdString(profileErrorText()), "cannot write " + path + ": " + reason);
    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(readBytes(dir.filePath("HUELOFT.INI")), existing);

    // The next successful write clears the error.
    QVERIFY(writeNow("A", "x", "3", QFile::encodeName(dir.filePath("b.ini"))));
    QVERIFY(profileErrorText().empty());
}

void tst_Profile::failuresAsOtherUser_data()
{
    QTest::addColumn<int>("fileMode"); // -1: no file
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QByteArray>("error");

    QTest::newRow("read-only file")
        << 0444 << 0777 << QByteArray("cannot write %1: Permission denied");
    // A file this user may write, in a folder that takes no copy beside it: written in place.
    QTest::newRow("read-only folder") << 0666 << 0555 << QByteArray();
    QTest::newRow("read-only folder, new file")
        << -1 << 0555 << QByteArray("cannot write %1: Permission denied");
    QTest::newRow("unreadable file")
        << 0222 << 0777 << QByteArray("cannot write %1: Permission denied");
    QTest::newRow("control: writable") << 0666 << 0777 << QByteArray();
}

void tst_Profile::failuresAsOtherUser()
{
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    QFETCH(QByteArray, error);

    // Permission bits do not stop root: as root, the writer runs as nobody.
    const bool root = ::geteuid() == 0;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(::chmod(QFile::encodeName(dir.path()), 0755) == 0);
    const QString folder = dir.filePath("w");
    QVERIFY(QDir(dir.path()).mkdir("w"));
    const QString path = folder + "/HUELOFT.INI";
    const QByteArray existing = "[A]\r\nx=1\r\n";
    if (fileMode >= 0) {
        writeBytes(path, existing);
        QVERIFY(::chmod(QFile::encodeName(path), mode_t(fileMode)) == 0);
    }
    QVERIFY(::chmod(QFile::encodeName(folder), mode_t(folderMode)) == 0);
    const QStringList before = entries(folder);

    const Run run = runWriter({"once", path, "A", "x", "2"}, [root] {
        if (root &&
            (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(77);
    });
    ::chmod(QFile::encodeName(folder), 0777);
    if (run.exitCode == 77)
        QSKIP("cannot switch to the user nobody");

    if (error.isEmpty()) {
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readBytes(path), QByteArray("[A]\r\nx=2\r\n"));
        return;
    }
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.error, QByteArray(error).replace("%1", QFile::encodeName(path)));
    QCOMPARE(entries(folder), before);
    QCOMPARE(readBytes(path), fileMode >= 0 ? existing : QByteArray());
}

void tst_Profile::fullDisk()
{
    // A file size limit makes writing fail as a full disk would, for root too.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("HUELOFT.INI");
    const QByteArray existing = "[A]\nx=1\n; " + QByteArray(3000, 'c') + "\n";
    writeBytes(path, existing);

    auto limitTo = [](rlim_t bytes) {
        return [bytes] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{bytes, bytes};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(77);
        };
    };
    Run run = runWriter({"once", path, "A", "x", "22"}, limitTo(2048));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.error, "cannot write " + QFile::encodeName(path) + ": File too large");
    QCOMPARE(readBytes(path), existing);
    QCOMPARE(entries(dir.path()), QStringList{"HUELOFT.INI"});

    // Control: the same write within the limit.
    run = runWriter({"once", path, "A", "x", "22"}, limitTo(8192));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readBytes(path), QByteArray(existing).replace("x=1", "x=22"));
}

void tst_Profile::tooLargeFile_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("usable");
    QTest::newRow("64 GiB, sparse") << (qint64(64) << 30) << false;
    QTest::newRow("one byte over the limit") << qint64(kProfileFileSizeLimit) + 1 << false;
    QTest::newRow("control: at the limit") << qint64(kProfileFileSizeLimit) << true;
}

void tst_Profile::tooLargeFile()
{
    QFETCH(qint64, size);
    QFETCH(bool, usable);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath("HUELOFT.INI"));
    writeBytes(QString::fromLocal8Bit(path), "[A]\nx=1\n");
    QVERIFY(::truncate(path, off_t(size)) == 0); // the rest reads as NUL bytes

    // Read as missing, never replaced: the write fails at once, naming the file.
    QCOMPARE(GetPrivateProfileIntA("A", "x", 7, path), usable ? 1u : 7u);
    QCOMPARE(writeNow("A", "x", "2", path), usable ? 1 : 0);
    if (!usable) {
        QCOMPARE(QByteArray::fromStdString(profileErrorText()),
                 "cannot write " + path + ": it is too large for a settings file (" +
                     QByteArray::number(size) + " bytes, the limit is 64 MiB)");
        QCOMPARE(QFileInfo(QString::fromLocal8Bit(path)).size(), size);
    }
    QCOMPARE(entries(dir.path()), QStringList{"HUELOFT.INI"});
}

// Another user in a folder both can write: nothing of a save can be opened by them first, and
// a lock they hold on the file makes the save wait 10 s at most.
void tst_Profile::locksOfAnotherUser()
{
    if (::geteuid() != 0)
        QSKIP("needs root, to run the other side as the user nobody");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(::chmod(QFile::encodeName(dir.path()), 01777) == 0);
    const QString path = dir.filePath("HUELOFT.INI");
    auto hostile = [&](const QStringList &arguments, bool asNobody = true) {
        auto process = std::make_unique<QProcess>();
        if (asNobody)
            process->start("runuser", QStringList{"-u", "nobody", "--", writerPath()} + arguments);
        else
            process->start(writerPath(), arguments);
        return process->waitForReadyRead(5000) && process->readLine() == "ready\n"
                   ? std::move(process)
                   : nullptr;
    };

    // It watches the folder and locks every temporary file it can open the moment it appears.
    auto grabber = hostile({"grab", dir.path(), ".HUELOFT.INI."});
    QVERIFY(grabber);
    for (int round = 0; round < 20; ++round) {
        QFile::remove(path);
        const Run run = runWriter({"once", path, "A", "x", QString::number(round)}, {});
        QVERIFY2(run.exitCode == 0, qPrintable(QString("round %1: %2").arg(round).arg(run.error)));
    }
    grabber->closeWriteChannel();
    QVERIFY(grabber->waitForFinished(5000));
    QCOMPARE(grabber->readAll().trimmed(), QByteArray("locked 0"));
    QCOMPARE(readBytes(path), QByteArray("[A]\nx=19\n"));
    struct stat st = {};
    QVERIFY(::stat(QFile::encodeName(path), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0644)); // the umask's, once whole

    // It locks the file itself: the save waits its 10 s, then goes on.
    auto locker = hostile({"lock", path});
    QVERIFY(locker);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(runWriter({"once", path, "A", "x", "locked"}, {}).exitCode, 0);
    qInfo("the save waited %lld ms for the other user's lock", qint64(clock.elapsed()));
    QVERIFY(clock.elapsed() >= 9000);
    QCOMPARE(readBytes(path), QByteArray("[A]\nx=locked\n"));
    locker->closeWriteChannel();
    QVERIFY(locker->waitForFinished(5000));

    // A program replaces the file without end, each new one locked before the last is let go:
    // the save gives up and says so, and never puts a file of its edits alone in place. Run
    // by another user, its first file is refused at once: a file of theirs is never written.
    for (const bool asNobody : {false, true}) {
        QFile::remove(path);
        auto replacer = hostile({"replace", path}, asNobody);
        QVERIFY(replacer);
        const Run run = runWriter({"once", path, "A", "x", "lost"}, {});
        replacer->closeWriteChannel();
        QVERIFY(replacer->waitForFinished(5000));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.error,
                 "cannot write " + QFile::encodeName(path) +
                     (asNobody ? ": it is a file that another user made in a folder others can write"
                               : ": another program replaced it at every try to lock it"));
        QVERIFY(readBytes(path).startsWith("[Other]\n"));
    }
}

// ---- crash safety ----------------------------------------------------------------------

void tst_Profile::killedWriter_data()
{
    QTest::addColumn<bool>("linked");
    QTest::addColumn<QString>("thenSaved"); // after a kill that left a backup: a whole save
    QTest::newRow("replaced") << false << "";
    QTest::newRow("written in place (a second hard link)") << true << "";
    // A save that completes after the killed one is never undone by the backup it left: one by
    // a user who cannot see that backup (another state folder), or through the other name.
    QTest::newRow("stale backup, then another user's save in place") << true << "in place";
    QTest::newRow("stale backup, then a save through the second link") << true << "other name";
    // "2111" is, byte for byte, a mix of "1111" and "22222222" (as "k=22" is of "k=12" and
    // "k=21"), and the other user's save comes at once: no time can tell it from a torn write.
    QTest::newRow("stale backup, then another user's save that mixes the two texts")
        << true << "mix";
}

void tst_Profile::killedWriter()
{
    QFETCH(bool, linked);
    QFETCH(QString, thenSaved);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("HUELOFT.INI");
    QStringList names{"HUELOFT.INI"};
    const QByteArray frame = raw("; settings\r\n\xEF\xBB\xBFodd\0bytes\xff\r\n[Other]\r\nq=1\r\n"
                                 "[Loop]\r\nbefore=1\r\nvalue=%1\r\nafter=2\r\n; tail\r\n");
    auto withValue = [&](const char *v) { return QByteArray(frame).replace("%1", v); };
    const QByteArray a = withValue("1111"), b = withValue("22222222"), c = withValue("333");
    writeBytes(path, c);
    if (linked) {
        QVERIFY(::link(QFile::encodeName(path), QFile::encodeName(dir.filePath("other.ini"))) == 0);
        names.append("other.ini");
    }

    const QString state = m_dir.filePath("state/hueloft");
    QElapsedTimer clock;
    clock.start();
    int rounds = 0, stale = 0, savedAfter = 0;
    // The rows that save after a kill need a few kills that left a backup, not 200. Up to
    // 30 s: a loaded machine under the sanitizers kills a writer every few hundred ms.
    const int savesWanted = 10;
    for (; rounds < 200 && clock.elapsed() < 30000 && savedAfter < savesWanted; ++rounds) {
        QProcess writer;
        writer.start(writerPath(), {"loop", path, "loop", "VALUE", "1111", "22222222"});
        QVERIFY(writer.waitForStarted());
        QVERIFY2(writer.waitForReadyRead(5000), writer.readAllStandardError().constData());
        QThread::usleep(QRandomGenerator::global()->bounded(4000));
        writer.kill();
        QVERIFY(writer.waitForFinished());

        const bool left = entries(dir.path()).size() > names.size() || !entries(state).isEmpty();
        if (left)
            ++stale;
        if (left && !thenSaved.isEmpty()) {
            const QString value = thenSaved == "mix" ? "2111" : "4444";
            if (thenSaved == "other name") {
                QVERIFY(writeNow("Loop", "value", "4444", QFile::encodeName(dir.filePath(names[1]))));
            } else {
                QProcess other;
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                environment.insert("XDG_STATE_HOME", m_dir.filePath("other-state"));
                other.setProcessEnvironment(environment);
                other.start(writerPath(), {"once", path, "Loop", "value", value});
                QVERIFY(other.waitForFinished());
                QCOMPARE(other.exitCode(), 0);
            }
            // What that save left is what stays, torn around its value or not.
            const QByteArray saved = readBytes(path);
            QVERIFY(saved.contains("value=" + value.toLatin1() + "\r\n"));
            QProcess reader;
            reader.start(writerPath(), {"read", path, "Loop", "value"});
            QVERIFY(reader.waitForFinished());
            QCOMPARE(reader.readAll(), value.toLatin1() + "\n");
            QCOMPARE(readBytes(path), saved);
            ++savedAfter;
            QVERIFY(writeNow("LOOP", "value", "333", QFile::encodeName(path)));
            continue;
        }
        // The next process to use the file finds it whole (a torn one put back first).
        QProcess reader;
        reader.start(writerPath(), {"read", path, "Loop", "value"});
        QVERIFY(reader.waitForFinished());
        const QByteArray now = readBytes(path);
        QVERIFY2(now == a || now == b, qPrintable(QString("round %1: torn file").arg(rounds)));
        QCOMPARE(reader.readAll(), QByteArray(now == a ? "1111\n" : "22222222\n"));
        if (linked)
            QCOMPARE(readBytes(dir.filePath("other.ini")), now);

        QVERIFY(writeNow("LOOP", "value", "333", QFile::encodeName(path)));
        QCOMPARE(readBytes(path), c);
        QCOMPARE(entries(dir.path()), names);
    }
    qInfo("%d writers killed in %lld ms; %d left a temporary file or backup behind", rounds,
          qint64(clock.elapsed()), stale);
    QVERIFY(rounds >= 50 || savedAfter == savesWanted);
    if (!thenSaved.isEmpty())
        QVERIFY2(savedAfter > 0, "no kill left a backup behind");
}

void tst_Profile::staleTemporaries()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("HUELOFT.INI");
    writeBytes(path, "[A]\nx=1\n");
    QStringList kept = {".HUELOFT.INI.writing-abcdefg", ".HUELOFT.INI.writing-locked",
                              ".OTHER.INI.writing-abcdef", "HUELOFT.INI", "HUELOFT.INI.backup"};
    for (const QString &name : kept + QStringList{".HUELOFT.INI.writing-Ab3xYz"}) {
        if (name != "HUELOFT.INI")
            writeBytes(dir.filePath(name), "old");
    }
    // A link, a folder and a second name of a file elsewhere at such names: not made by a save,
    // never followed or removed, and what they lead to untouched.
    QTemporaryDir outside;
    const QString target = outside.filePath("precious");
    writeBytes(target, "precious");
    QVERIFY(QFile::link(target, dir.filePath(".HUELOFT.INI.writing-Linked")));
    QVERIFY(QDir(dir.path()).mkdir(".HUELOFT.INI.writing-Folder"));
    QVERIFY(::link(QFile::encodeName(target), QFile::encodeName(dir.filePath(".HUELOFT.INI.writing-Second"))) == 0);
    kept << ".HUELOFT.INI.writing-Linked" << ".HUELOFT.INI.writing-Folder" << ".HUELOFT.INI.writing-Second";
    // Another user's file at such a name was not made by a save of this user's: it stays.
    if (::geteuid() == 0) {
        const QString strangers = dir.filePath(".HUELOFT.INI.writing-Strngr");
        writeBytes(strangers, "theirs");
        QVERIFY(::chown(QFile::encodeName(strangers), 65534, 65534) == 0);
        kept.append(".HUELOFT.INI.writing-Strngr");
    }
    // One writer still at work in another process holds the lock on its temporary file.
    const int busy = ::open(QFile::encodeName(dir.filePath(".HUELOFT.INI.writing-locked")),
                            O_RDONLY | O_CLOEXEC);
    QVERIFY(busy >= 0);
    QVERIFY(::flock(busy, LOCK_EX) == 0);

    QVERIFY(writeNow("A", "x", "2", QFile::encodeName(path)));
    ::close(busy);
    QStringList expected = kept;
    expected.sort();
    QCOMPARE(entries(dir.path()), expected);
    QCOMPARE(readBytes(path), QByteArray("[A]\nx=2\n"));
    QCOMPARE(readBytes(target), QByteArray("precious"));
}

// Backups that another user could plant, or that a user's own killed write outlives in the
// wrong place: never believed, never written, and the file keeps its text.
void tst_Profile::plantedBackups_data()
{
    QTest::addColumn<QString>("place"); // beside the file, or in the state folder
    QTest::addColumn<QString>("how");
    QTest::newRow("beside the file, hard-linked from root's file elsewhere") << "beside" << "link";
    QTest::newRow("state folder, a second link") << "state" << "link";
    QTest::newRow("state folder, another user's file") << "state" << "nobody";
    QTest::newRow("state folder, a symbolic link") << "state" << "symlink";
}

void tst_Profile::plantedBackups()
{
    QFETCH(QString, place);
    QFETCH(QString, how);
    if (how == "nobody" && ::geteuid() != 0)
        QSKIP("needs root, to give a file to another user");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("HUELOFT.INI");
    // The file looks like a torn write of "new" over the planted "old" text: believed, the
    // backup would put that text in.
    const QByteArray own = "[A]\nx=1\n", payload = "[A]\nx=9\n", newer = "[A]\nx=1X";
    writeBytes(path, own);
    struct stat st = {};
    QVERIFY(::stat(QFile::encodeName(path), &st) == 0);
    const QString state = m_dir.filePath("state/hueloft");
    QVERIFY(QDir().mkpath(state));
    QVERIFY(::chmod(QFile::encodeName(state), 0700) == 0);
    // A header naming this very file, as each version of the backup format wrote it.
    const QByteArray ids = QByteArray::number(qulonglong(st.st_dev)) + " " +
                           QByteArray::number(qulonglong(st.st_ino)) + " ";
    const QByteArray content =
        place == "beside"
            ? "hueloft profile backup 1 " + ids + QByteArray::number(payload.size()) + " 1 1\n" + payload
            : "hueloft profile backup 3 " + ids + "8 8 " +
                  QByteArray::number(qlonglong(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec)
                      .rightJustified(20, '0') +
                  "\n" + payload + newer;
    const QString source = m_dir.filePath("shared-file");
    writeBytes(source, content);
    const QString name = place == "beside"
                             ? dir.filePath(".HUELOFT.INI.saving-AAAAAA")
                             : state + "/saving-" + ids.trimmed().replace(' ', '-') + "-AAAAAA";
    if (how == "link")
        QVERIFY(::link(QFile::encodeName(source), QFile::encodeName(name)) == 0);
    else if (how == "symlink")
        QVERIFY(::symlink(QFile::encodeName(source), QFile::encodeName(name)) == 0);
    else
        QVERIFY(QFile::copy(source, name) && ::chown(QFile::encodeName(name), nobody, nobody) == 0);

    char value[16] = {};
    GetPrivateProfileStringA("A", "x", "", value, sizeof value, QFile::encodeName(path));
    QCOMPARE(QByteArray(value), QByteArray("1"));
    QVERIFY(writeNow("B", "y", "2", QFile::encodeName(path)));
    QCOMPARE(readBytes(path), own + "[B]\ny=2\n");
    QCOMPARE(readBytes(source), content);
    QFile::remove(name);
}

// ---- links and permissions -------------------------------------------------------------

void tst_Profile::symbolicLinks_data()
{
    QTest::addColumn<QStringList>("links"); // name, target; the first is written through
    QTest::addColumn<QString>("target");    // the file that gets the text
    QTest::addColumn<bool>("targetExists");

    QTest::newRow("relative") << QStringList{"HUELOFT.INI", "real.ini"} << "real.ini" << true;
    QTest::newRow("into another folder")
        << QStringList{"HUELOFT.INI", "sub/real.ini"} << "sub/real.ini" << true;
    QTest::newRow("chain") << QStringList{"HUELOFT.INI", "sub/link.ini", "sub/link.ini", "real.ini"}
                           << "sub/real.ini" << true;
    QTest::newRow("dangling") << QStringList{"HUELOFT.INI", "sub/new.ini"} << "sub/new.ini"
                              << false;
    // In a sticky folder that others can write, a link made by another user is not followed,
    // for reads and writes alike (an empty target: nothing gets the text).
    QTest::newRow("another user's link, sticky shared folder")
        << QStringList{"nobody 1777", "HUELOFT.INI", "real.ini"} << "" << true;
    QTest::newRow("own link, sticky shared folder")
        << QStringList{"1777", "HUELOFT.INI", "real.ini"} << "real.ini" << true;
}

void tst_Profile::symbolicLinks()
{
    QFETCH(QStringList, links);
    QFETCH(QString, target);
    QFETCH(bool, targetExists);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    const QString shared = links[0].endsWith("1777") ? links.takeFirst() : QString();
    if (!shared.isEmpty()) {
        if (::geteuid() != 0)
            QSKIP("needs root, to plant a link as another user");
        QVERIFY(::chmod(QFile::encodeName(dir.path()), 01777) == 0);
    }
    writeBytes(dir.filePath("real.ini"), "[A]\r\nx=1\r\n");
    if (targetExists && !target.isEmpty())
        writeBytes(dir.filePath(target), "[A]\r\nx=1\r\n");
    for (int i = 0; i < links.size(); i += 2) {
        const QStringList ln{"ln", "-s", links[i + 1], dir.filePath(links[i])};
        QCOMPARE(shared.startsWith("nobody")
                     ? QProcess::execute("runuser", QStringList{"-u", "nobody", "--"} + ln)
                     : QProcess::execute(ln[0], ln.mid(1)),
                 0);
    }

    const QByteArray first = QFile::encodeName(dir.filePath(links[0]));
    char value[8] = {};
    GetPrivateProfileStringA("A", "x", "none", value, sizeof value, first);
    QCOMPARE(QByteArray(value), QByteArray(target.isEmpty() ? "none" : targetExists ? "1" : "none"));
    QCOMPARE(writeNow("A", "x", "2", first) != 0, !target.isEmpty());
    for (int i = 0; i < links.size(); i += 2)
        QCOMPARE(linkText(dir.filePath(links[i])), QFile::encodeName(links[i + 1]));
    if (target.isEmpty()) {
        QCOMPARE(QByteArray::fromStdString(profileErrorText()),
                 "cannot write " + first +
                     ": it is a link that another user made in a folder others can write");
        QCOMPARE(readBytes(dir.filePath("real.ini")), QByteArray("[A]\r\nx=1\r\n"));
        return;
    }
    QCOMPARE(readBytes(dir.filePath(target)),
             targetExists ? QByteArray("[A]\r\nx=2\r\n") : QByteArray("[A]\nx=2\n"));
    for (const QString &folder : {dir.path(), dir.filePath("sub")}) {
        for (const QString &name : entries(folder))
            QVERIFY2(!name.startsWith('.'), qPrintable(name));
    }
}

// A file that another user makes in a sticky shared folder after the start is never written:
// the save fails with its line, and the file keeps what its owner put there.
void tst_Profile::strangersFileMadeLater()
{
    if (::geteuid() != 0)
        QSKIP("needs root, to make a file as another user");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(::chmod(QFile::encodeName(dir.path()), 01777) == 0);
    const QByteArray path = QFile::encodeName(dir.filePath("HUELOFT.INI"));
    char value[8] = {};
    GetPrivateProfileStringA("A", "x", "none", value, sizeof value, path);
    QCOMPARE(QByteArray(value), QByteArray("none"));
    QCOMPARE(QProcess::execute("runuser", {"-u", "nobody", "--", "sh", "-c",
                                           "umask 0; printf '[B]\\ny=1\\n' > \"$0\"",
                                           QString::fromLocal8Bit(path)}),
             0);
    QCOMPARE(writeNow("A", "x", "2", path), 0);
    QCOMPARE(QByteArray::fromStdString(profileErrorText()),
             "cannot write " + path + ": it is a file that another user made in a folder others "
                                      "can write");
    QCOMPARE(readBytes(dir.filePath("HUELOFT.INI")), QByteArray("[B]\ny=1\n"));
}

void tst_Profile::permissions_data()
{
    QTest::addColumn<int>("mode"); // -1: a new file
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("expected");

    QTest::newRow("kept 0640") << 0640 << 022 << 0640;
    QTest::newRow("kept 0604") << 0604 << 077 << 0604;
    QTest::newRow("kept 0664") << 0664 << 077 << 0664;
    QTest::newRow("new file, umask 022") << -1 << 022 << 0644;
    QTest::newRow("new file, umask 077") << -1 << 077 << 0600;
}

void tst_Profile::permissions()
{
    QFETCH(int, mode);
    QFETCH(int, mask);
    QFETCH(int, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath("HUELOFT.INI"));
    if (mode >= 0) {
        writeBytes(dir.filePath("HUELOFT.INI"), "[A]\nx=1\n");
        QVERIFY(::chmod(path, mode_t(mode)) == 0);
    }
    const mode_t previous = ::umask(mode_t(mask));
    const int ok = writeNow("A", "x", "2", path);
    ::umask(previous);
    QVERIFY(ok);
    struct stat st = {};
    QVERIFY(::stat(path, &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), expected);
    QCOMPARE(st.st_uid, ::geteuid());
    QCOMPARE(readBytes(dir.filePath("HUELOFT.INI")), QByteArray("[A]\nx=2\n"));
}

// After a save the file is the same file to everyone: owner, group, mode, ACL, extended
// attributes, other names.
void tst_Profile::identityKept_data()
{
    QTest::addColumn<QStringList>("setup"); // a command on the file, or one of ours
    QTest::addColumn<bool>("byNobody");     // the save made by the user nobody
    QTest::newRow("ACL entries for other users")
        << QStringList{"setfacl", "-m", "u:nobody:rw,g:nogroup:r"} << false;
    QTest::newRow("a default ACL on the folder, none on the file")
        << QStringList{"setfacl", "-d", "-m", "u:nobody:rw"} << false;
    QTest::newRow("extended attribute")
        << QStringList{"setfattr", "-n", "user.origin", "-v", "x"} << false;
    QTest::newRow("a second hard link") << QStringList{"link"} << false;
    QTest::newRow("a file bind-mounted on the name") << QStringList{"mount"} << false;
    QTest::newRow("nobody's file saved by root") << QStringList{"chown", "nobody:nogroup"} << false;
    QTest::newRow("root's file saved by nobody") << QStringList{"folder 0777"} << true;
    QTest::newRow("root's file saved by nobody, sticky folder")
        << QStringList{"folder 1777"} << true;
}

void tst_Profile::identityKept()
{
    QFETCH(QStringList, setup);
    QFETCH(bool, byNobody);
    if (::geteuid() != 0)
        QSKIP("needs root, to give files to another user");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(::chmod(QFile::encodeName(dir.path()), 0755) == 0);
    const QString path = dir.filePath("HUELOFT.INI");
    const QByteArray file = QFile::encodeName(path);
    writeBytes(path, "[A]\nx=1\n");
    QVERIFY(::chmod(file, 0666) == 0);
    const QString other = dir.filePath("other.ini");
    auto unmount = qScopeGuard([&] {
        if (setup[0] == "mount")
            QProcess::execute("umount", {path});
    });
    if (setup[0] == "link") {
        QVERIFY(::link(file, QFile::encodeName(other)) == 0);
    } else if (setup[0] == "mount") {
        writeBytes(other, "[A]\nx=1\n");
        if (QProcess::execute("mount", {"--bind", other, path}) != 0)
            QSKIP("cannot bind-mount here");
    } else if (setup[0].startsWith("folder")) {
        QVERIFY(::chmod(QFile::encodeName(dir.path()), mode_t(setup[0].mid(7).toInt(nullptr, 8))) ==
                0);
    } else {
        QCOMPARE(
            QProcess::execute(setup[0], setup.mid(1) << (setup[1] == "-d" ? dir.path() : path)), 0);
    }
    struct stat before
    {
    }, after{};
    QVERIFY(::stat(file, &before) == 0);
    const QByteArrayList attributesBefore = attributes(file);

    const Run run = runWriter({"once", path, "A", "x", "2"},
                              byNobody ? std::function<void()>(asNobody()) : nullptr);
    QVERIFY2(run.exitCode == 0, run.error.constData());
    QCOMPARE(readBytes(path), QByteArray("[A]\nx=2\n"));
    QVERIFY(::stat(file, &after) == 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_nlink, before.st_nlink);
    QCOMPARE(attributes(file), attributesBefore);
    if (setup[0] == "link" || setup[0] == "mount")
        QCOMPARE(readBytes(other), QByteArray("[A]\nx=2\n"));
    for (const QString &name : entries(dir.path()))
        QVERIFY2(!name.startsWith('.'), qPrintable(name));
}

// A file that starts with a UTF-16 byte-order mark is read and written as UTF-16, as Notepad's
// "Unicode" files are by the Windows functions.
void tst_Profile::utf16_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("value"); // written to [RGB Color] Red, 8-bit (UTF-8)
    QTest::addColumn<QString>("after");
    QTest::addColumn<QByteArray>("read"); // [Note] text, as read after the write

    const QString notepad = "[RGB Color]\r\nRed=200\r\nGreen=100\r\n[Note]\r\ntext=café\r\n";
    QTest::newRow("value changed")
        << notepad << QByteArray("7") << QString(notepad).replace("200", "7")
        << QByteArray("caf\xC3\xA9");
    QTest::newRow("non-ASCII value written")
        << notepad << QByteArray("\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xA8")
        << QString(notepad).replace("200", QString::fromUtf8("été 🎨")) << QByteArray("caf\xC3\xA9");
    QTest::newRow("new key and section, CRLF")
        << "[Note]\r\ntext=1" << QByteArray("5") << "[Note]\r\ntext=1\r\n[RGB Color]\r\nRed=5\r\n"
        << QByteArray("1");
    QTest::newRow("only the mark: CRLF")
        << QString() << QByteArray("5") << "[RGB Color]\r\nRed=5\r\n"
        << QByteArray();
    QTest::newRow("LF kept, lone surrogate kept")
        << QString("[Note]\ntext=a") + QChar(0xD800) + "b\n[RGB Color]\nRed=1\n"
        << QByteArray("2") << QString("[Note]\ntext=a") + QChar(0xD800) + "b\n[RGB Color]\nRed=2\n"
        << QByteArray("a\xED\xA0\x80"
                      "b");
}

void tst_Profile::utf16()
{
    QFETCH(QString, before);
    QFETCH(QByteArray, value);
    QFETCH(QString, after);
    QFETCH(QByteArray, read);
    const QString path = m_dir.filePath("utf16.ini");
    const QByteArray file = QFile::encodeName(path);
    for (const bool little : {true, false}) {
        writeBytes(path, asUtf16(before, little) + "\x7F"); // an odd last byte stays too
        char text[64];
        GetPrivateProfileStringA("note", "TEXT", "", text, sizeof text, file);
        QCOMPARE(QByteArray(text), read);
        QCOMPARE(GetPrivateProfileIntA("RGB Color", "Green", 0, file),
                 before.contains("Green") ? 100u : 0u);
        QVERIFY(writeNow("RGB Color", "Red", value, file));
        QCOMPARE(readBytes(path), asUtf16(after, little) + "\x7F");
        GetPrivateProfileStringA("rgb color", "red", "", text, sizeof text, file);
        QCOMPARE(QByteArray(text), value);
    }
}

void tst_Profile::largeFile()
{
    // Two hundred thousand keys: anything worse than linear shows as a time-out.
    QByteArray text;
    text.reserve(4 << 20);
    for (int s = 0; s < 200; ++s) {
        text += "[Section" + QByteArray::number(s) + "]\r\n";
        for (int k = 0; k < 1000; ++k)
            text += "Key" + QByteArray::number(k) + "=" + QByteArray::number(s * 1000 + k) + "\r\n";
    }
    const QString path = m_dir.filePath("large.ini");
    writeBytes(path, text);
    const QByteArray file = QFile::encodeName(path);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(GetPrivateProfileIntA("section199", "key998", 0, file), 199998u);
    QVERIFY(writeNow("Section199", "Key998", "x", file));
    QVERIFY(writeNow("Section199", "New", "y", file));
    QVERIFY(writeNow("Section0", nullptr, nullptr, file));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed < 5000, qPrintable(QString::number(elapsed)));

    text.replace("Key998=199998\r\n", "Key998=x\r\n");
    text.append("New=y\r\n");
    text.remove(0, text.indexOf("[Section1]"));
    QCOMPARE(readBytes(path), text);
}

// Files from one megabyte up are read once and kept between reads; what a read finds must not
// depend on that.
void tst_Profile::largeFileReadsAgreeWithSmall_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("first of duplicate sections") << QByteArray("dup") << QByteArray("k") << 1;
    QTest::newRow("key only in the second duplicate")
        << QByteArray("DUP") << QByteArray("only2") << -1;
    QTest::newRow("blanks and case") << QByteArray(" Spaced ") << QByteArray("KEY") << 7;
    QTest::newRow("missing bracket") << QByteArray("open") << QByteArray("v") << 3;
    QTest::newRow("comment is no key") << QByteArray("c") << QByteArray(";x") << -1;
    QTest::newRow("missing section") << QByteArray("nowhere") << QByteArray("k") << -1;
    QTest::newRow("section at the end") << QByteArray("padding") << QByteArray("last") << 42;
    QTest::newRow("text before any section") << QByteArray("") << QByteArray("lost") << -1;
}

void tst_Profile::largeFileReadsAgreeWithSmall()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(int, expected);

    const QByteArray head = "lost=9\n[dup]\nk=1\n[ Spaced ]\n\tkey = 7\n[open\nv=3\n[c]\n;x=5\n"
                            "[DUP]\nk=2\nonly2=8\n";
    QByteArray padding = "[padding]\n";
    while (padding.size() < (2 << 20))
        padding += "filler" + QByteArray::number(padding.size()) + "=0\n";
    padding += "last=42\n";
    const QString small = m_dir.filePath(QStringLiteral("agree-small.ini"));
    const QString large = m_dir.filePath(QStringLiteral("agree-large.ini"));
    writeBytes(small, head + "[padding]\nlast=42\n");
    writeBytes(large, head + padding);

    for (const QString &path : {small, large}) {
        for (int round = 0; round < 2; ++round) { // the second read of the large file is kept
            const int read = int(GetPrivateProfileIntA(section.constData(), key.constData(), -1,
                                                       QFile::encodeName(path).constData()));
            QCOMPARE(read, expected);
        }
    }
}

// A file read once is kept between reads (a large one always, a small one once its last change
// is older than a clock tick or two): every change must still show at the next read.
void tst_Profile::keptFileSeesChanges_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("settleMs"); // before the first read
    QTest::newRow("large file") << (2 << 20) << 0;
    QTest::newRow("small file, unchanged for a while") << 0 << 300;
}

void tst_Profile::keptFileSeesChanges()
{
    QFETCH(int, size);
    QFETCH(int, settleMs);
    QByteArray text = "[A]\nx=1111\n[B]\n";
    while (text.size() < size)
        text += "k" + QByteArray::number(text.size()) + "=0\n";
    const QString path = m_dir.filePath(QStringLiteral("changing.ini"));
    const QByteArray file = QFile::encodeName(path);
    writeBytes(path, text);
    QTest::qWait(settleMs);
    QCOMPARE(GetPrivateProfileIntA("A", "x", 0, file), 1111u);

    // Replaced through the profile functions: a new file.
    QVERIFY(writeNow("A", "x", "2222", file));
    QCOMPARE(GetPrivateProfileIntA("A", "x", 0, file), 2222u);

    // Rewritten in place by someone else, same size: its time stamps tell, even with the
    // modification time set back.
    QTest::qWait(settleMs);
    QCOMPARE(GetPrivateProfileIntA("A", "x", 0, file), 2222u);
    struct stat before = {};
    QVERIFY(::stat(file, &before) == 0);
    QTest::qWait(20);
    text.replace("x=1111", "x=3333");
    writeBytes(path, text);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    QVERIFY(::utimensat(AT_FDCWD, file, times, 0) == 0);
    QCOMPARE(GetPrivateProfileIntA("A", "x", 0, file), 3333u);

    // Shrunk below the size that is kept: read afresh.
    writeBytes(path, "[A]\nx=4\n");
    QCOMPARE(GetPrivateProfileIntA("A", "x", 0, file), 4u);
}

QTEST_GUILESS_MAIN(tst_Profile)
#include "tst_profile.moc"
