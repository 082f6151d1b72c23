// SPDX-License-Identifier: MIT
// The editor's table of late-bound functions: each bound by name at its first call and kept in
// its slot, swatchy looked for only beside the program and in the private folder and kept
// loaded, arguments and results carried through, and a missing library or entry point that
// costs one line on standard error and nothing else.

#include "swatchyexports.h"

#include "editor/resources/installdirs.h"
#include "editor/externals/externals.h"

#include "platform/profile.h"
#include "platform/windowsystem.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <dlfcn.h>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Slot = DeclaredFunctions::Slot;

// Collects what is written to the process's standard error while it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        if (!m_file.open())
            return;
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    QStringList lines()
    {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};

bool isLoaded(const char *library)
{
    void *handle = ::dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        ::dlclose(handle);
    return handle != nullptr;
}

const void *entryIn(const char *library, const char *entry)
{
    return reinterpret_cast<const void *>(QLibrary(QString::fromLocal8Bit(library)).resolve(entry));
}

// Files named by their bytes, as a folder name that is not valid UTF-8 needs.
std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeBytes(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return bool(out.flush());
}

bool makeFolders(const std::string &path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

// What a test puts where swatchy may be looked for.
enum class Copy { None, Real, Junk, ForAArch64, For32Bit, Fifo };

std::string swatchyCopy(Copy copy)
{
    std::string library = readBytes(SWATCHY_LIBRARY);
    switch (copy) {
    case Copy::None:
    case Copy::Real:
    case Copy::Fifo:
        break;
    case Copy::Junk:
        return std::string(4096, 'j');
    case Copy::ForAArch64:
        // e_machine, little-endian, right after the identification and e_type.
        library[EI_NIDENT + 2] = char(EM_AARCH64 & 0xFF);
        library[EI_NIDENT + 3] = char(EM_AARCH64 >> 8);
        break;
    case Copy::For32Bit:
        library[EI_CLASS] = char(ELFCLASS32);
        break;
    }
    return library;
}

const void *entryInLoaded(const std::string &path, const char *entry)
{
    void *handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    const void *address = ::dlsym(handle, entry);
    ::dlclose(handle);
    return address;
}

void whenColorDialogOpens(std::function<void(QColorDialog *)> action, int attemptsLeft = 500)
{
    QTimer::singleShot(10, [action, attemptsLeft] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible())
            action(dialog);
        else if (attemptsLeft > 0)
            whenColorDialogOpens(action, attemptsLeft - 1);
    });
}

// Makes one call through slot; the arguments matter only in that nothing may break.
void callThrough(DeclaredFunctions &functions, Slot slot, const QString &file)
{
    switch (slot) {
    case DeclaredFunctions::SetWindowPosSlot:
        functions.setWindowPos(0, platform::HWND_TOPMOST, 0, 0, 0, 0, 67);
        break;
    case DeclaredFunctions::WritePrivateProfileStringSlot:
        functions.writePrivateProfileString("A", "b",
                                            "1", bytes(file));
        break;
    case DeclaredFunctions::GetPrivateProfileIntSlot:
        functions.getPrivateProfileInt("A", "b", 0, bytes(file));
        break;
    case DeclaredFunctions::ShowColorDialogSlot:
        whenColorDialogOpens([](QColorDialog *dialog) { dialog->reject(); });
        functions.showColorDialog(0, 0);
        break;
    case DeclaredFunctions::SaveCustomColorsSlot:
        functions.saveCustomColors(bytes(file));
        break;
    case DeclaredFunctions::LoadCustomColorsSlot:
        functions.loadCustomColors(bytes(file));
        break;
    default:
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Copy)

// Who made the copy beside the program, in a program folder that is sticky and open to all
// (1777) unless Nothing: a shared folder where anyone may create a name before this user does.
enum class Planted { Nothing, OwnInSharedFolder, StrangersFile, StrangersLink };
Q_DECLARE_METATYPE(Planted)

class tst_Externals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void swatchyLoadedAtFirstCallAndKept();
    void firstCallBinds_data();
    void firstCallBinds();
    void swatchyOnlyFromItsFolders_data();
    void swatchyOnlyFromItsFolders();
    void missingLibrary_data();
    void missingLibrary();
    void missingEntryPoint();
    void argumentsAndResults();
    void eightBitPaths();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void tst_Externals::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

// First, while nothing in this process has touched the library yet.
void tst_Externals::swatchyLoadedAtFirstCallAndKept()
{
    if (isLoaded(SWATCHY_LIBRARY))
        QSKIP("swatchy is already loaded in this process");

    const QString colors = path(QStringLiteral("kept.ini"));
    writeFile(colors, "[Custom Colors]\nRGB_Color_0=255\nRGB_Color_15=16711680\n");
    const QString saved = path(QStringLiteral("kept-saved.ini"));

    auto first = std::make_unique<DeclaredFunctions>(platform::LibraryFolders{SWATCHY_FOLDER, {}});
    for (int slot = 0; slot < DeclaredFunctions::SlotCount; ++slot)
        QVERIFY(!first->boundAddress(Slot(slot)));
    QVERIFY(!isLoaded(SWATCHY_LIBRARY));

    first->loadCustomColors(bytes(colors));
    QVERIFY(isLoaded(SWATCHY_LIBRARY));
    const void *bound = first->boundAddress(DeclaredFunctions::LoadCustomColorsSlot);
    first->loadCustomColors(bytes(colors));
    QCOMPARE(first->boundAddress(DeclaredFunctions::LoadCustomColorsSlot), bound);
    first.reset();

    // The library and its custom colours outlive the table that loaded them.
    QVERIFY(isLoaded(SWATCHY_LIBRARY));
    DeclaredFunctions second({SWATCHY_FOLDER, {}});
    second.saveCustomColors(bytes(saved));
    QVERIFY(second.flushPrivateProfile(bytes(saved)));
    const QByteArray text = readFile(saved);
    QVERIFY2(text.contains("RGB_Color_0=255\n") && text.contains("RGB_Color_15=16711680\n"),
             text.constData());
}

void tst_Externals::firstCallBinds_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<const void *>("expected");

    QTest::newRow("SetWindowPos") << int(DeclaredFunctions::SetWindowPosSlot)
                                  << reinterpret_cast<const void *>(&platform::SetWindowPos);
    QTest::newRow("WritePrivateProfileStringA")
        << int(DeclaredFunctions::WritePrivateProfileStringSlot)
        << entryIn(PROFILE_LIBRARY, "WritePrivateProfileStringA");
    QTest::newRow("GetPrivateProfileIntA") << int(DeclaredFunctions::GetPrivateProfileIntSlot)
                                           << entryIn(PROFILE_LIBRARY, "GetPrivateProfileIntA");
    QTest::newRow("ShowColorDialog") << int(DeclaredFunctions::ShowColorDialogSlot)
                                     << entryIn(SWATCHY_LIBRARY, "ShowColorDialog");
    QTest::newRow("SaveCustomColors") << int(DeclaredFunctions::SaveCustomColorsSlot)
                                      << entryIn(SWATCHY_LIBRARY, "SaveCustomColors");
    QTest::newRow("LoadCustomColors") << int(DeclaredFunctions::LoadCustomColorsSlot)
                                      << entryIn(SWATCHY_LIBRARY, "LoadCustomColors");
}

void tst_Externals::firstCallBinds()
{
    QFETCH(int, slot);
    QFETCH(const void *, expected);
    QVERIFY(expected);

    const QString file = path(QStringLiteral("bind.ini"));
    DeclaredFunctions functions({SWATCHY_FOLDER, {}});
    QVERIFY(!functions.boundAddress(Slot(slot)));

    StderrCapture errors;
    callThrough(functions, Slot(slot), file);
    QCOMPARE(functions.boundAddress(Slot(slot)), expected);
    // Each slot binds on its own: no other slot was filled by this call.
    for (int other = 0; other < DeclaredFunctions::SlotCount; ++other) {
        if (other != slot)
            QVERIFY(!functions.boundAddress(Slot(other)));
    }
    callThrough(functions, Slot(slot), file);
    QCOMPARE(functions.boundAddress(Slot(slot)), expected);
    QCOMPARE(errors.lines(), QStringList());
}

// swatchy is looked for beside the program, then in the installation's private folder, by
// absolute path and nowhere else: not through LD_LIBRARY_PATH (which holds a good copy for
// this test), and a copy that is there but broken is reported as it is, not passed over.
void tst_Externals::swatchyOnlyFromItsFolders_data()
{
    QTest::addColumn<QByteArray>("top");    // under the temporary folder, as bytes
    QTest::addColumn<Copy>("beside");       // in <top>/bin, the program's folder
    QTest::addColumn<Copy>("privately");    // in the installation's private folder
    QTest::addColumn<int>("boundFrom");     // 0 beside, 1 private folder, -1 not bound
    QTest::addColumn<QByteArray>("reason"); // what the one line says, when not bound
    QTest::addColumn<Planted>("planted");   // the program's folder shared, the copy another's

    QTest::newRow("beside the program")
        << QByteArray("a") << Copy::Real << Copy::None << 0 << QByteArray() << Planted::Nothing;
    QTest::newRow("private folder")
        << QByteArray("b") << Copy::None << Copy::Real << 1 << QByteArray() << Planted::Nothing;
    QTest::newRow("both: the program's folder first")
        << QByteArray("c") << Copy::Real << Copy::Real << 0 << QByteArray() << Planted::Nothing;
    QTest::newRow("Latin-1 folder name") << QByteArray("caf\xe9") << Copy::Real << Copy::None << 0
                                         << QByteArray() << Planted::Nothing;
    QTest::newRow("Latin-1 folder name, private folder")
        << QByteArray("Farb\xe9") << Copy::None << Copy::Real << 1 << QByteArray()
        << Planted::Nothing;
    QTest::newRow("nowhere, though LD_LIBRARY_PATH has one")
        << QByteArray("d") << Copy::None << Copy::None << -1 << QByteArray("is in neither")
        << Planted::Nothing;
    QTest::newRow("junk beside, a good copy in the private folder")
        << QByteArray("e") << Copy::Junk << Copy::Real << -1 << QByteArray("invalid ELF header")
        << Planted::Nothing;
    QTest::newRow("AArch64 copy beside")
        << QByteArray("f") << Copy::ForAArch64 << Copy::Real << -1
        << QByteArray("wrong ELF class/machine") << Planted::Nothing;
    QTest::newRow("32-bit copy beside")
        << QByteArray("g") << Copy::For32Bit << Copy::None << -1
        << QByteArray("wrong ELF class/machine") << Planted::Nothing;
    QTest::newRow("FIFO beside the program: no wait for a writer")
        << QByteArray("i") << Copy::Fifo << Copy::Real << -1 << QByteArray("not a regular file")
        << Planted::Nothing;
    QTest::newRow("AArch64 copy in the private folder")
        << QByteArray("h") << Copy::None << Copy::ForAArch64 << -1
        << QByteArray("wrong ELF class/machine") << Planted::Nothing;
    // Another user may create any name in a folder others can write: a library there runs its
    // code in this user's process, so only this user's copy or the folder owner's is taken.
    QTest::newRow("own copy in a sticky folder others can write")
        << QByteArray("j") << Copy::Real << Copy::None << 0 << QByteArray()
        << Planted::OwnInSharedFolder;
    QTest::newRow("another user's copy in a sticky folder others can write")
        << QByteArray("k") << Copy::Real << Copy::Real << -1
        << QByteArray("a file that another user made in a folder others can write")
        << Planted::StrangersFile;
    QTest::newRow("another user's link in a sticky folder others can write")
        << QByteArray("l") << Copy::Real << Copy::Real << -1
        << QByteArray("a link that another user made in a folder others can write")
        << Planted::StrangersLink;
}

void tst_Externals::swatchyOnlyFromItsFolders()
{
    QFETCH(QByteArray, top);
    QFETCH(Copy, beside);
    QFETCH(Copy, privately);
    QFETCH(int, boundFrom);
    QFETCH(QByteArray, reason);
    QFETCH(Planted, planted);
    if (planted > Planted::OwnInSharedFolder && ::geteuid() != 0)
        QSKIP("another user's file can only be made as root");

    // The system's search would find the real library: a result that fell back to it shows.
    const QByteArray searched = qgetenv("LD_LIBRARY_PATH");
    QVERIFY2(QFile::exists(QFile::decodeName(searched) + QStringLiteral("/libswatchy.so")),
             searched.constData());

    QTemporaryDir scratch;
    const std::string topFolder = bytes(scratch.path()) + "/" + top.toStdString();
    // QTemporaryDir removes by decoded names, which a folder name that is not UTF-8 defeats.
    const std::unique_ptr<const std::string, void (*)(const std::string *)> removeTop(
        &topFolder, [](const std::string *folder) {
            std::error_code ignored;
            std::filesystem::remove_all(*folder, ignored);
        });
    const std::string program = topFolder + "/bin";
    const std::string folders[] = {program, hueloft::installedLibraryFolder(program)};
    QVERIFY(folders[1].find("..") == std::string::npos);
    QVERIFY(folders[1].compare(0, bytes(scratch.path()).size(), bytes(scratch.path())) == 0);
    const Copy copies[] = {beside, privately};
    for (int i = 0; i < 2; ++i) {
        QVERIFY(makeFolders(folders[i]));
        const std::string file = folders[i] + "/libswatchy.so";
        if (copies[i] == Copy::Fifo)
            QVERIFY(::mkfifo(file.c_str(), 0644) == 0);
        else if (copies[i] != Copy::None)
            QVERIFY(writeBytes(file, swatchyCopy(copies[i])));
    }
    if (planted != Planted::Nothing) {
        QVERIFY(::chmod(program.c_str(), 01777) == 0);
        const std::string file = folders[0] + "/libswatchy.so";
        const uid_t stranger = 65534; // nobody
        if (planted == Planted::StrangersFile) {
            QVERIFY(::chown(file.c_str(), stranger, stranger) == 0);
        } else if (planted == Planted::StrangersLink) {
            // The link names this user's own good copy: the link alone is another user's.
            const std::string real = folders[0] + "/real-swatchy.so";
            QVERIFY(::rename(file.c_str(), real.c_str()) == 0);
            QVERIFY(::symlink("real-swatchy.so", file.c_str()) == 0);
            QVERIFY(::lchown(file.c_str(), stranger, stranger) == 0);
        }
    }
    const std::string settings = program + "/HUELOFT.INI";
    QVERIFY(writeBytes(settings, "[Custom Colors]\nRGB_Color_4=1234\n"));

    DeclaredFunctions functions({folders[0], folders[1]});
    StderrCapture errors;
    functions.loadCustomColors(settings);
    const QStringList lines = errors.lines();
    const void *bound = functions.boundAddress(DeclaredFunctions::LoadCustomColorsSlot);
    if (boundFrom >= 0) {
        QCOMPARE(lines, QStringList());
        QVERIFY(bound);
        QCOMPARE(bound, entryInLoaded(folders[boundFrom] + "/libswatchy.so", "LoadCustomColors"));
        // It works on the settings beside the program, whatever the folder's name.
        functions.saveCustomColors(settings);
        QVERIFY(functions.flushPrivateProfile(settings));
        QVERIFY(readBytes(settings).find("RGB_Color_4=1234\n") != std::string::npos);
        return;
    }
    QVERIFY(!bound);
    QCOMPARE(lines.size(), 1);
    const QByteArray line = QFile::encodeName(lines.first());
    QVERIFY2(line.startsWith("hueloft: cannot load swatchy: "), line.constData());
    QVERIFY2(line.contains(reason), line.constData());
    QVERIFY2(!line.contains("No such file or directory"), line.constData());
    // The copy that is at fault is named, and the good one behind it was not taken.
    const int faulty = beside != Copy::None ? 0 : 1;
    if (copies[faulty] != Copy::None)
        QVERIFY2(line.contains(QByteArray::fromStdString(folders[faulty] + "/libswatchy.so")),
                 line.constData());
    // (The loader opens a file even to say whether it is loaded, and a FIFO would block it.)
    for (int i = 0; i < 2; ++i) {
        if (copies[i] != Copy::Fifo)
            QVERIFY(!entryInLoaded(folders[i] + "/libswatchy.so", "LoadCustomColors"));
    }
    QVERIFY(!entryInLoaded(folders[0] + "/real-swatchy.so", "LoadCustomColors"));
}

void tst_Externals::missingLibrary_data()
{
    QTest::addColumn<QByteArray>("fileInFolder"); // empty: the folder holds nothing
    QTest::addColumn<QString>("reasonMentions");
    QTest::newRow("nowhere") << QByteArray() << QStringLiteral("swatchy_absent");
    QTest::newRow("broken copy beside the program")
        << QByteArray("not a library") << QStringLiteral("libswatchy_absent.so");
}

void tst_Externals::missingLibrary()
{
    QFETCH(QByteArray, fileInFolder);
    QFETCH(QString, reasonMentions);

    QTemporaryDir folder;
    if (!fileInFolder.isEmpty())
        writeFile(folder.filePath(QStringLiteral("libswatchy_absent.so")), fileInFolder);
    const QString settings = path(QStringLiteral("missing.ini"));
    const QByteArray before = "[RGB Color]\nRed=7\n[Custom Colors]\nRGB_Color_0=255\n";
    writeFile(settings, before);

    DeclaredFunctions functions({bytes(folder.path()), {}}, "swatchy_absent");
    StderrCapture errors;
    functions.loadCustomColors(bytes(settings));
    QCOMPARE(functions.getPrivateProfileInt("RGB Color", "Red", 0, bytes(settings)), 7);
    QCOMPARE(functions.showColorDialog(0xFF123456, 0), std::uint32_t(0xFF123456));
    QVERIFY(!QApplication::activeModalWidget());
    functions.saveCustomColors(bytes(settings));
    functions.loadCustomColors(bytes(settings));
    QCOMPARE(functions.showColorDialog(0x00000001, 0), std::uint32_t(0x00000001));

    const QStringList lines = errors.lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(QLatin1String("hueloft: cannot load swatchy_absent: ")),
             qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(reasonMentions), qPrintable(lines.first()));
    QCOMPARE(readFile(settings), before);
    for (Slot slot :
         {DeclaredFunctions::ShowColorDialogSlot, DeclaredFunctions::SaveCustomColorsSlot,
          DeclaredFunctions::LoadCustomColorsSlot})
        QVERIFY(!functions.boundAddress(slot));
}

void tst_Externals::missingEntryPoint()
{
    const QString calls = path(QStringLiteral("partial-calls.txt"));
    QFile::remove(calls);
    DeclaredFunctions functions({FAKE_PARTIAL_FOLDER, {}});
    StderrCapture errors;

    functions.loadCustomColors(bytes(calls));
    QCOMPARE(functions.showColorDialog(0x80563412, 0), std::uint32_t(0x80563412));
    QCOMPARE(functions.showColorDialog(0x00000000, 0), std::uint32_t(0x00000000));
    functions.saveCustomColors(bytes(calls));

    const QStringList lines = errors.lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(QLatin1String("hueloft: swatchy (")),
             qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(QLatin1String(FAKE_PARTIAL_FOLDER)), qPrintable(lines.first()));
    QVERIFY2(lines.first().endsWith(QLatin1String(") has no entry point ShowColorDialog")),
             qPrintable(lines.first()));
    // The entry points that exist still work, with the path handed through.
    QCOMPARE(readFile(calls), QByteArray("LoadCustomColors\nSaveCustomColors\n"));
    QVERIFY(!functions.boundAddress(DeclaredFunctions::ShowColorDialogSlot));
    QCOMPARE(functions.boundAddress(DeclaredFunctions::SaveCustomColorsSlot),
             entryIn(FAKE_PARTIAL_LIBRARY, "SaveCustomColors"));
}

void tst_Externals::argumentsAndResults()
{
    DeclaredFunctions functions({SWATCHY_FOLDER, {}});
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto id = std::uintptr_t(window.winId());

    QVERIFY(functions.setWindowPos(id, platform::HWND_TOPMOST, 0, 0, 0, 0, 67) != 0);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(functions.setWindowPos(id, platform::HWND_NOTOPMOST, 0, 0, 0, 0, 67) != 0);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    QColor openedWith;
    QWidget *owner = nullptr;
    whenColorDialogOpens([&](QColorDialog *dialog) {
        openedWith = dialog->currentColor();
        owner = dialog->parentWidget();
        dialog->setCurrentColor(QColor(0xAA, 0xBB, 0xCC));
        dialog->accept();
    });
    QCOMPARE(functions.showColorDialog(0x00030201, id), std::uint32_t(0x00CCBBAA));
    QCOMPARE(openedWith, QColor(1, 2, 3));
    QCOMPARE(owner, &window);

    // Profile values come back signed.
    const QString settings = path(QStringLiteral("signed.ini"));
    writeFile(settings, "[Custom Colors]\nRGB_Color_0=-1\n");
    QCOMPARE(functions.getPrivateProfileInt("Custom Colors", "RGB_Color_0", 5, bytes(settings)),
             -1);
    QCOMPARE(functions.getPrivateProfileInt("Custom Colors", "RGB_Color_1", -3, bytes(settings)),
             -3);
}

void tst_Externals::eightBitPaths()
{
    // A folder name outside ASCII must reach the file system as the same name.
    const QString folder = path(QStringLiteral("Farbé ✓"));
    QVERIFY(QDir().mkpath(folder));
    const QString settings = folder + QStringLiteral("/HUELOFT.INI");

    DeclaredFunctions functions({SWATCHY_FOLDER, {}});
    QVERIFY(functions.writePrivateProfileString("RGB Color", "Red", "200", bytes(settings)) != 0);
    QCOMPARE(functions.getPrivateProfileInt("RGB Color", "Red", 0, bytes(settings)), 200);
    functions.saveCustomColors(bytes(settings));
    QVERIFY(functions.flushPrivateProfile(bytes(settings)));
    const QByteArray text = readFile(settings);
    QVERIFY2(text.startsWith("[RGB Color]\nRed=200\n[Custom Colors]\nRGB_Color_0="),
             text.constData());
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("HUELOFT.INI")});
}

QTEST_MAIN(tst_Externals)

#include "tst_externals.moc"
