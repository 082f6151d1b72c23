// SPDX-License-Identifier: MIT
#include "editor/settings/externals.h"

#include "editor/resources/installdirs.h"
#include "platform/profile.h"
#include "platform/windowstack.h"
#include "swatchy/swatchy.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLibrary>

#include <cstdio>
#include <map>
#include <string>

namespace {

const std::array<DeclaredFunctions::Declaration, DeclaredFunctions::SlotCount> declarations{{
    {u"user32", "SetWindowPos"},
    {u"kernel32", "WritePrivateProfileStringA"},
    {u"kernel32", "GetPrivateProfileStringA"},
    {u"kernel32", "GetPrivateProfileIntA"},
    {u"swatchy.dll", "ShowColorDialog"},
    {u"swatchy.dll", "SaveCustomColors"},
    {u"swatchy.dll", "LoadCustomColors"},
}};

using SetWindowPosFn = int (*)(std::uintptr_t, std::intptr_t, int, int, int, int, unsigned);
using WritePrivateProfileStringFn = int (*)(const char *, const char *, const char *, const char *);
using GetPrivateProfileStringFn = std::uint32_t (*)(const char *, const char *, const char *,
                                                    char *, std::uint32_t, const char *);
using GetPrivateProfileIntFn = std::uint32_t (*)(const char *, const char *, int, const char *);

// The system libraries have no file of their own here: the platform layer stands in for them.
// Binding still goes through their names, like any other library's.
struct SystemEntry
{
    std::u16string_view library;
    std::string_view entry;
    QFunctionPointer address;
};

template<typename Fn> QFunctionPointer addressOf(Fn function)
{
    return reinterpret_cast<QFunctionPointer>(function);
}

const SystemEntry systemEntries[] = {
    {u"user32", "SetWindowPos", addressOf<SetWindowPosFn>(&platform::SetWindowPos)},
    {u"kernel32", "WritePrivateProfileStringA",
     addressOf<WritePrivateProfileStringFn>(&platform::WritePrivateProfileStringA)},
    {u"kernel32", "GetPrivateProfileStringA",
     addressOf<GetPrivateProfileStringFn>(&platform::GetPrivateProfileStringA)},
    {u"kernel32", "GetPrivateProfileIntA",
     addressOf<GetPrivateProfileIntFn>(&platform::GetPrivateProfileIntA)},
};

bool isSystemLibrary(std::u16string_view library)
{
    for (const SystemEntry &known : systemEntries) {
        if (known.library == library)
            return true;
    }
    return false;
}

void report(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}

// Whether folder holds a file that QLibrary would take for library base: base.dll,
// libbase.so, libbase.so.1 and the like, but not libbase_other.so.
bool folderHoldsLibrary(const QString &folder, const QString &base)
{
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString &entry : entries) {
        const QString name = entry.startsWith(QLatin1String("lib")) ? entry.mid(3) : entry;
        if (name.startsWith(base + QLatin1Char('.')) && QLibrary::isLibrary(entry))
            return true;
    }
    return false;
}

} // namespace

struct DeclaredFunctions::Private
{
    QString folder;
    QString swatchyBaseName;
    std::array<QFunctionPointer, SlotCount> cache{};
    // A slot that failed once stays failed: it is neither looked up nor reported again.
    std::array<bool, SlotCount> failed{};

    struct Library
    {
        std::unique_ptr<QLibrary> library; // null when it could not be loaded
    };
    std::map<std::u16string, Library> libraries;

    QFunctionPointer bind(Slot slot);
    QString baseNameOf(std::u16string_view library) const;
    QLibrary *load(std::u16string_view library);
};

QString DeclaredFunctions::Private::baseNameOf(std::u16string_view library) const
{
    if (library == u"swatchy.dll")
        return swatchyBaseName;
    QString name = QString::fromStdU16String(std::u16string(library));
    if (name.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

// Loads a library once per table; a library that failed is reported here, once, and every
// slot that needs it then fails quietly.
QLibrary *DeclaredFunctions::Private::load(std::u16string_view library)
{
    const auto known = libraries.find(std::u16string(library));
    if (known != libraries.end())
        return known->second.library.get();

    const QString base = baseNameOf(library);
    QString folderError;
    auto loaded = std::make_unique<QLibrary>();
    // The custom colours live inside swatchy from start-up to shut-down: never unload it.
    loaded->setLoadHints(QLibrary::PreventUnloadHint);
    // Beside the program in a build or portable copy, then where an installation keeps its
    // private libraries. The program's run path cannot help: QLibrary calls dlopen from
    // inside Qt, whose run path is searched instead.
    if (!folder.isEmpty()) {
        for (const QString &candidate : {folder, hueloft::installedLibraryFolder(folder)}) {
            loaded->setFileName(QDir(candidate).filePath(base));
            if (loaded->load())
                break;
            if (folderError.isEmpty() && folderHoldsLibrary(candidate, base))
                folderError = loaded->errorString(); // a broken copy says more than "not found"
        }
    }
    if (!loaded->isLoaded()) {
        loaded = std::make_unique<QLibrary>(base);
        loaded->setLoadHints(QLibrary::PreventUnloadHint);
        if (!loaded->load()) {
            report(QStringLiteral("hueloft: cannot load %1: %2")
                       .arg(base, folderError.isEmpty() ? loaded->errorString() : folderError));
            loaded.reset();
        }
    }
    QLibrary *result = loaded.get();
    libraries[std::u16string(library)].library = std::move(loaded);
    return result;
}

QFunctionPointer DeclaredFunctions::Private::bind(Slot slot)
{
    if (cache[slot] || failed[slot])
        return cache[slot];

    const Declaration &declaration = declarations[slot];
    QFunctionPointer address = nullptr;
    if (isSystemLibrary(declaration.library)) {
        for (const SystemEntry &known : systemEntries) {
            if (known.library == declaration.library && known.entry == declaration.entry)
                address = known.address;
        }
        if (!address) {
            report(
                QStringLiteral("hueloft: %1 has no entry point %2")
                    .arg(baseNameOf(declaration.library), QString::fromLatin1(declaration.entry)));
        }
    } else if (QLibrary *library = load(declaration.library)) {
        address = library->resolve(std::string(declaration.entry).c_str());
        if (!address) {
            report(QStringLiteral("hueloft: %1 (%2) has no entry point %3")
                       .arg(baseNameOf(declaration.library), library->fileName(),
                            QString::fromLatin1(declaration.entry)));
        }
    }
    cache[slot] = address;
    failed[slot] = !address;
    return address;
}

const std::array<DeclaredFunctions::Declaration, DeclaredFunctions::SlotCount> &
DeclaredFunctions::table()
{
    return declarations;
}

DeclaredFunctions::DeclaredFunctions(const QString &libraryFolder)
    : DeclaredFunctions(libraryFolder, QStringLiteral("swatchy"))
{
}

DeclaredFunctions::DeclaredFunctions(const std::string &libraryFolder)
    : DeclaredFunctions(QFile::decodeName(QByteArray::fromStdString(libraryFolder)),
                        QStringLiteral("swatchy"))
{
}

DeclaredFunctions::DeclaredFunctions(const QString &libraryFolder, const QString &swatchyBaseName)
    : d(std::make_unique<Private>())
{
    d->folder = libraryFolder;
    d->swatchyBaseName = swatchyBaseName;
}

// The QLibrary objects go, the libraries they loaded stay.
DeclaredFunctions::~DeclaredFunctions() = default;

int DeclaredFunctions::setWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y,
                                    int cx, int cy, unsigned flags)
{
    const auto function = reinterpret_cast<SetWindowPosFn>(d->bind(SetWindowPosSlot));
    return function ? function(window, insertAfter, x, y, cx, cy, flags) : 0;
}

// Every string crosses as a zero-terminated 8-bit copy that lives until the call returns.
int DeclaredFunctions::writePrivateProfileString(const QString &section, const QString &key,
                                                 const QString &value, const std::string &path)
{
    const auto function =
        reinterpret_cast<WritePrivateProfileStringFn>(d->bind(WritePrivateProfileStringSlot));
    if (!function)
        return 0;
    const QByteArray section8 = section.toLocal8Bit();
    const QByteArray key8 = key.toLocal8Bit();
    const QByteArray value8 = value.toLocal8Bit();
    return function(section8.constData(), key8.constData(), value8.constData(), path.c_str());
}

int DeclaredFunctions::flushPrivateProfile(const std::string &path)
{
    const auto function =
        reinterpret_cast<WritePrivateProfileStringFn>(d->bind(WritePrivateProfileStringSlot));
    return function ? function(nullptr, nullptr, nullptr, path.c_str()) : 0;
}

std::int32_t DeclaredFunctions::getPrivateProfileInt(const QString &section, const QString &key,
                                                     int defaultValue, const std::string &path)
{
    const auto function =
        reinterpret_cast<GetPrivateProfileIntFn>(d->bind(GetPrivateProfileIntSlot));
    if (!function)
        return defaultValue;
    const QByteArray section8 = section.toLocal8Bit();
    const QByteArray key8 = key.toLocal8Bit();
    return static_cast<std::int32_t>(
        function(section8.constData(), key8.constData(), defaultValue, path.c_str()));
}

std::uint32_t DeclaredFunctions::showColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    const auto function = reinterpret_cast<ShowColorDialogFn>(d->bind(ShowColorDialogSlot));
    return function ? function(color, owner) : color;
}

void DeclaredFunctions::saveCustomColors(const std::string &path)
{
    // A library that could not load the custom colours holds sixteen zeros, not the user's
    // colours: saving them would overwrite the file's section with black.
    if (d->failed[LoadCustomColorsSlot])
        return;
    const auto function = reinterpret_cast<SaveCustomColorsFn>(d->bind(SaveCustomColorsSlot));
    if (function)
        function(path.c_str());
}

void DeclaredFunctions::loadCustomColors(const std::string &path)
{
    const auto function = reinterpret_cast<LoadCustomColorsFn>(d->bind(LoadCustomColorsSlot));
    if (function)
        function(path.c_str());
}

int DeclaredFunctions::writePrivateProfileString(const QString &section, const QString &key,
                                                 const QString &value, const QString &path)
{
    return writePrivateProfileString(section, key, value, QFile::encodeName(path).toStdString());
}

std::int32_t DeclaredFunctions::getPrivateProfileInt(const QString &section, const QString &key,
                                                     int defaultValue, const QString &path)
{
    return getPrivateProfileInt(section, key, defaultValue, QFile::encodeName(path).toStdString());
}

void DeclaredFunctions::saveCustomColors(const QString &path)
{
    saveCustomColors(QFile::encodeName(path).toStdString());
}

void DeclaredFunctions::loadCustomColors(const QString &path)
{
    loadCustomColors(QFile::encodeName(path).toStdString());
}

const void *DeclaredFunctions::boundAddress(Slot slot) const
{
    if (slot < 0 || slot >= SlotCount)
        return nullptr;
    return reinterpret_cast<const void *>(d->cache[slot]);
}
