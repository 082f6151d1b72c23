// SPDX-License-Identifier: MIT
// Libraries by name on systems without Windows' own: "user32" and "kernel32" are the stand-ins
// of this layer, any other name is a shared library found through QLibrary (libswatchy.so for
// "swatchy.dll").

#include "platform/library.h"

#include "editor/resources/installdirs.h"
#include "platform/profile.h"
#include "platform/windowstack.h"

#include <QDir>
#include <QLibrary>

#include <memory>

namespace platform {

namespace {

using SetWindowPosFn = int (*)(std::uintptr_t, std::intptr_t, int, int, int, int, unsigned);
using WritePrivateProfileStringFn = int (*)(const char *, const char *, const char *, const char *);
using GetPrivateProfileStringFn = std::uint32_t (*)(const char *, const char *, const char *,
                                                    char *, std::uint32_t, const char *);
using GetPrivateProfileIntFn = std::uint32_t (*)(const char *, const char *, int, const char *);

struct StandInEntry
{
    std::u16string_view library;
    std::string_view entry;
    void *address;
};

template<typename Fn> void *addressOf(Fn function)
{
    return reinterpret_cast<void *>(function);
}

const StandInEntry standIns[] = {
    {u"user32", "SetWindowPos", addressOf<SetWindowPosFn>(&platform::SetWindowPos)},
    {u"kernel32", "WritePrivateProfileStringA",
     addressOf<WritePrivateProfileStringFn>(&platform::WritePrivateProfileStringA)},
    {u"kernel32", "GetPrivateProfileStringA",
     addressOf<GetPrivateProfileStringFn>(&platform::GetPrivateProfileStringA)},
    {u"kernel32", "GetPrivateProfileIntA",
     addressOf<GetPrivateProfileIntFn>(&platform::GetPrivateProfileIntA)},
};

bool isStandIn(std::u16string_view library)
{
    for (const StandInEntry &known : standIns) {
        if (known.library == library)
            return true;
    }
    return false;
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

struct Library
{
    std::u16string name;               // as declared
    std::unique_ptr<QLibrary> library; // null for the stand-ins
};

Library *loadLibrary(std::u16string_view name, const std::string &folder8, std::string &error)
{
    if (isStandIn(name))
        return new Library{std::u16string(name), nullptr};

    QString base = QString::fromStdU16String(std::u16string(name));
    if (base.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
        base.chop(4);
    const QString folder = QFile::decodeName(QByteArray::fromStdString(folder8));

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
            error = (folderError.isEmpty() ? loaded->errorString() : folderError).toStdString();
            return nullptr;
        }
    }
    // The QLibrary object is kept with the library: both live until the process ends.
    return new Library{std::u16string(name), std::move(loaded)};
}

void forgetLibrary(Library *library)
{
    delete library; // PreventUnloadHint: the QLibrary goes, the library stays
}

void *libraryEntry(Library &library, const char *entry)
{
    if (!library.library) {
        for (const StandInEntry &known : standIns) {
            if (known.library == library.name && known.entry == entry)
                return known.address;
        }
        return nullptr;
    }
    return reinterpret_cast<void *>(library.library->resolve(entry));
}

std::string libraryFileName(const Library &library)
{
    return library.library ? library.library->fileName().toStdString() : std::string();
}

std::string lastProfileWriteError(const std::string &)
{
    return profileErrorText();
}

} // namespace platform
