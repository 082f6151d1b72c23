// SPDX-License-Identifier: MIT
// Libraries by name on systems without Windows' own (library.h): each loaded by its absolute
// path from the two folders where the program keeps it, and from nowhere else.

#include "platform/library.h"

#include "platform/links_posix.h"
#include "platform/windowsystem.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using SetWindowPosFn = int (*)(std::uintptr_t, std::intptr_t, int, int, int, int, unsigned);

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
};

// The stand-in for Entry of Library, or for any of its entries with a null Entry.
const StandInEntry *standIn(std::u16string_view library, const char *entry)
{
    for (const StandInEntry &known : standIns) {
        if (known.library == library && (!entry || known.entry == entry))
            return &known;
    }
    return nullptr;
}

// The bytes of an ELF header that decide whether this process can map the file: its class, its
// byte order and its machine (e_machine, after the 16-bit e_type, high byte first); empty when
// the file is not ELF.
std::string elfIdentity(const char *path)
{
    unsigned char header[EI_NIDENT + 4];
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const bool read = fd >= 0 && ::read(fd, header, sizeof header) == ssize_t(sizeof header);
    if (fd >= 0)
        ::close(fd);
    if (!read || std::memcmp(header, ELFMAG, SELFMAG) != 0)
        return {};
    const bool big = header[EI_DATA] == ELFDATA2MSB;
    return {char(header[EI_CLASS]), char(big), char(header[EI_NIDENT + 3 - big]),
            char(header[EI_NIDENT + 2 + big])};
}

std::string describe(const std::string &identity)
{
    static const std::pair<std::uint16_t, const char *> names[] = {
        {EM_386, "i386"},        {EM_X86_64, "x86-64"}, {EM_ARM, "ARM"},
        {EM_AARCH64, "AArch64"}, {EM_RISCV, "RISC-V"},  {EM_PPC, "PowerPC"},
        {EM_PPC64, "PowerPC64"}, {EM_S390, "S/390"},    {EM_MIPS, "MIPS"},
    };
    const unsigned machine = unsigned(std::uint8_t(identity[2])) << 8 | std::uint8_t(identity[3]);
    std::string name = "machine " + std::to_string(machine);
    for (const auto &[number, known] : names) {
        if (number == machine)
            name = known;
    }
    return name + (identity[0] == ELFCLASS64 ? " 64-bit" : " 32-bit") +
           (identity[1] ? " big-endian" : "");
}

// Why the library at Path (named Shown) is of no use to this process, when it is built for
// another machine: the loader itself then answers "No such file or directory", as if it were
// not there. Empty when the file is for this machine (or not ELF at all, which the loader says
// well).
std::string foreignMachine(const std::string &path, const std::string &shown)
{
    const std::string library = elfIdentity(path.c_str()), self = elfIdentity("/proc/self/exe");
    if (library.empty() || self.empty() || library == self)
        return {};
    return shown + ": wrong ELF class/machine: built for " + describe(library) +
           ", this program is " + describe(self);
}

// A library that exists at path, loaded; on failure the reason, naming the file (shown, when
// the loader was handed another name for the same file).
void *openLibrary(const std::string &path, const std::string &shown, std::string &error)
{
    // The custom colours live inside swatchy from start-up to shut-down: never unload it.
    // Every symbol bound at once, so that a broken copy fails here and not at its first call.
    if (void *handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE))
        return handle;
    const char *reason = ::dlerror();
    error = foreignMachine(path, shown); // the file handed to the loader, not the name again
    if (error.empty()) {
        error = reason ? reason : shown + ": cannot be loaded";
        if (const std::size_t at = error.find(path); at != std::string::npos && path != shown)
            error.replace(at, path.size(), shown);
    }
    return nullptr;
}

enum class Outcome { Loaded, Missing, Failed };

// fileName from folder, by absolute path. What is loaded is the file that was judged: its
// folder is held open, the file is opened in it without following a link, the rule of
// links_posix.h is applied to the two descriptors, and the loader is handed the descriptor
// (between a check by name and the loader's own open, another user could rename a file of
// theirs onto the name). Links on the way are followed, and judged, first; a path longer than
// the system takes (a deep program folder) follows none.
Outcome openIn(const std::string &folder, const std::string &fileName, void *&handle,
               std::string &error)
{
    const std::string path = folder + "/" + fileName;
    std::string target = path;
    if (path.size() < PATH_MAX) {
        if (const char *why = unusableText(followLinks(target))) {
            // Another user's file or link on the way, in a folder others can write: its code
            // would run in this user's process.
            error = path + (target == path ? std::string() : " (" + target + ")") + ": " + why;
            return Outcome::Failed;
        }
    }
    const int dir = ::open(folderOfPath(target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    int fd = dir < 0 ? -1
                     : ::openat(dir, nameOfPath(target).c_str(),
                                O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    struct stat st = {};
    struct stat where = {};
    const bool described = fd >= 0 && ::fstat(fd, &st) == 0 && ::fstat(dir, &where) == 0;
    const int saved = errno;
    if (dir >= 0)
        ::close(dir);
    if (!described) {
        if (fd >= 0)
            ::close(fd);
        if (saved == ENOENT || saved == ENOTDIR)
            return Outcome::Missing;
        error = path + ": " + std::strerror(saved);
        return Outcome::Failed;
    }
    if (const char *why = unusableText(entryVerdict(st, where))) {
        error = path + ": " + why;
        handle = nullptr;
    } else if (!S_ISREG(st.st_mode)) {
        error = path + ": not a regular file";
        handle = nullptr;
    } else {
        handle = openLibrary("/proc/self/fd/" + std::to_string(fd), path, error);
    }
    // The loader knows a library by the name it was loaded under: the descriptor stays open
    // with it, so that no later library comes under the same name.
    if (!handle)
        ::close(fd);
    return handle ? Outcome::Loaded : Outcome::Failed;
}

// fileName beside the program in a build or portable copy, then where an installation keeps its
// private libraries; by absolute path, so neither LD_LIBRARY_PATH nor the current folder can
// put another library in its place. A copy there that cannot be loaded is not passed over:
// the next folder's copy would hide what is wrong with it.
void *loadFromProgramFolders(const std::string &fileName, const LibraryFolders &folders,
                             std::string &path, std::string &error)
{
    if (folders.program.empty()) {
        error = fileName + ": the program's folder is not known, and nowhere else is searched";
        return nullptr;
    }
    for (const std::string &candidate : {folders.program, folders.installed}) {
        if (candidate.empty())
            continue;
        void *handle = nullptr;
        switch (openIn(candidate, fileName, handle, error)) {
        case Outcome::Loaded:
            path = candidate + "/" + fileName;
            return handle;
        case Outcome::Failed:
            return nullptr;
        case Outcome::Missing:
            break;
        }
    }
    error = folders.installed.empty()
                ? fileName + " is not in " + folders.program
                : fileName + " is in neither " + folders.program + " nor " + folders.installed;
    return nullptr;
}

// The profile functions ("kernel32"): one shared library that swatchy imports by its name too.
// It is loaded before swatchy, so that the name is then found loaded and not searched for
// (where LD_LIBRARY_PATH would come first). A process that links it already has it.
struct ProfileLibrary
{
    void *handle = nullptr;
    std::string path;
    std::string error; // why it could not be loaded; said once
    bool tried = false;
};
ProfileLibrary profileLibrary;
const char *const kProfileFileName = "libhueloft-profile.so";

// The handle of a library of that file name that the process has loaded already (a program
// that links it), found among the loaded objects by the absolute path they were loaded from:
// a bare name given to dlopen(), even with RTLD_NOLOAD, is first searched for in every default
// folder. Null when none is loaded.
void *alreadyLoaded(const char *fileName)
{
    std::string path = fileName;
    auto visit = [](dl_phdr_info *info, std::size_t, void *data) {
        const std::string_view name = info->dlpi_name ? info->dlpi_name : "";
        auto *wanted = static_cast<std::string *>(data);
        const std::size_t slash = name.rfind('/');
        if (slash == std::string_view::npos || name.substr(slash + 1) != *wanted)
            return 0;
        *wanted = std::string(name);
        return 1;
    };
    if (::dl_iterate_phdr(visit, &path) == 0)
        return nullptr;
    void *handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        ::dlerror(); // gone meanwhile: no error to keep
    return handle;
}

void *loadProfileLibrary(const LibraryFolders &folders)
{
    if (!profileLibrary.tried) {
        profileLibrary.tried = true;
        profileLibrary.handle = alreadyLoaded(kProfileFileName);
        if (!profileLibrary.handle) {
            profileLibrary.handle = loadFromProgramFolders(
                kProfileFileName, folders, profileLibrary.path, profileLibrary.error);
        }
    }
    return profileLibrary.handle;
}

} // namespace

struct Library
{
    std::u16string name; // as declared
    void *handle;        // null for the stand-ins
    std::string fileName;
};

Library *loadLibrary(std::u16string_view name, const LibraryFolders &folders, std::string &error)
{
    if (standIn(name, nullptr))
        return new Library{std::u16string(name), nullptr, {}};

    // Whichever is asked for first, the profile library comes first; its failure is said once.
    const bool reported = profileLibrary.tried;
    if (!loadProfileLibrary(folders)) {
        error = reported ? std::string() : profileLibrary.error;
        return nullptr;
    }
    if (name == u"kernel32")
        return new Library{std::u16string(name), profileLibrary.handle, profileLibrary.path};

    const std::string declared(name.begin(), name.end());
    const std::string base(withoutDllSuffix(declared));
    std::string path;
    void *handle = loadFromProgramFolders("lib" + base + ".so", folders, path, error);
    return handle ? new Library{std::u16string(name), handle, path} : nullptr;
}

void restrictLibrarySearch()
{
    // Every library is loaded by its absolute path above: nothing to restrict.
}

void forgetLibrary(Library *library)
{
    delete library; // the record goes; the library, opened with RTLD_NODELETE, stays
}

void *libraryEntry(Library &library, const char *entry)
{
    if (library.handle)
        return ::dlsym(library.handle, entry);
    const StandInEntry *known = entry ? standIn(library.name, entry) : nullptr;
    return known ? known->address : nullptr;
}

std::string libraryFileName(const Library &library)
{
    return library.fileName;
}

std::string lastProfileWriteError(const std::string &)
{
    using ErrorTextFn = const char *(*)();
    const auto text = profileLibrary.handle
                          ? reinterpret_cast<ErrorTextFn>(
                                ::dlsym(profileLibrary.handle, "hueloft_profileErrorText"))
                          : nullptr;
    return text ? text() : std::string();
}

bool profileFlushResultTells()
{
    return true;
}

} // namespace platform
