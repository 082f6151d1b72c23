// SPDX-License-Identifier: MIT
// Libraries by name on systems without Windows' own: "user32" and "kernel32" are the stand-ins
// of this layer, any other name is a shared library (libswatchy.so for "swatchy.dll") that is
// loaded by its absolute path from the two folders where the program keeps it, and from
// nowhere else.

#include "platform/library.h"

#include "editor/resources/installdirs.h"
#include "platform/profile.h"
#include "platform/windowstack.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The part of an ELF header that decides whether this process can map the file.
struct ElfIdentity
{
    unsigned char elfClass = 0;
    unsigned char byteOrder = 0;
    std::uint16_t machine = 0;
};

bool readElfIdentity(const char *path, ElfIdentity &identity)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    unsigned char header[EI_NIDENT + 4];
    const ssize_t n = ::read(fd, header, sizeof header);
    ::close(fd);
    if (n != ssize_t(sizeof header) || std::memcmp(header, ELFMAG, SELFMAG) != 0)
        return false;
    identity.elfClass = header[EI_CLASS];
    identity.byteOrder = header[EI_DATA];
    // e_machine follows the 16-bit e_type, in the file's own byte order.
    const unsigned char *machine = header + EI_NIDENT + 2;
    identity.machine = identity.byteOrder == ELFDATA2MSB
                           ? std::uint16_t(machine[0] << 8 | machine[1])
                           : std::uint16_t(machine[1] << 8 | machine[0]);
    return true;
}

std::string machineName(std::uint16_t machine)
{
    switch (machine) {
    case EM_386:
        return "i386";
    case EM_X86_64:
        return "x86-64";
    case EM_ARM:
        return "ARM";
    case EM_AARCH64:
        return "AArch64";
    case EM_RISCV:
        return "RISC-V";
    case EM_PPC:
        return "PowerPC";
    case EM_PPC64:
        return "PowerPC64";
    case EM_S390:
        return "S/390";
    case EM_MIPS:
        return "MIPS";
    default:
        return "machine " + std::to_string(machine);
    }
}

std::string describe(const ElfIdentity &identity)
{
    return machineName(identity.machine) +
           (identity.elfClass == ELFCLASS64 ? " 64-bit" : " 32-bit") +
           (identity.byteOrder == ELFDATA2MSB ? " big-endian" : "");
}

// Why a library that exists at path is of no use to this process, when it is built for another
// machine: the loader itself then answers "No such file or directory", as if it were not there.
// Empty when the file is for this machine (or not ELF at all, which the loader says well).
std::string foreignMachine(const char *path)
{
    ElfIdentity library;
    ElfIdentity self;
    if (!readElfIdentity(path, library) || !readElfIdentity("/proc/self/exe", self))
        return {};
    if (library.elfClass == self.elfClass && library.byteOrder == self.byteOrder &&
        library.machine == self.machine)
        return {};
    return std::string(path) + ": wrong ELF class/machine: built for " + describe(library) +
           ", this program is " + describe(self);
}

// A library that exists at path, loaded; on failure the reason, naming the file.
void *openLibrary(const std::string &path, std::string &error)
{
    // The custom colours live inside swatchy from start-up to shut-down: never unload it.
    // Every symbol bound at once, so that a broken copy fails here and not at its first call.
    if (void *handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE))
        return handle;
    const char *reason = ::dlerror();
    error = foreignMachine(path.c_str());
    if (error.empty())
        error = reason ? reason : path + ": cannot be loaded";
    return nullptr;
}

} // namespace

struct Library
{
    std::u16string name; // as declared
    void *handle;        // null for the stand-ins
    std::string fileName;
};

Library *loadLibrary(std::u16string_view name, const std::string &folder, std::string &error)
{
    if (isStandIn(name))
        return new Library{std::u16string(name), nullptr, {}};

    std::string base(name.begin(), name.end());
    if (base.size() > 4 && (base.compare(base.size() - 4, 4, ".dll") == 0 ||
                            base.compare(base.size() - 4, 4, ".DLL") == 0))
        base.resize(base.size() - 4);
    const std::string fileName = "lib" + base + ".so";
    if (folder.empty()) {
        error = fileName + ": the program's folder is not known, and nowhere else is searched";
        return nullptr;
    }

    // Beside the program in a build or portable copy, then where an installation keeps its
    // private libraries; always by absolute path, so neither LD_LIBRARY_PATH nor the current
    // folder can put another library in its place. A copy that is there but cannot be loaded
    // is reported as it is: the next folder's copy would hide what is wrong with it.
    const std::string folders[] = {folder, hueloft::installedLibraryFolder(folder)};
    for (const std::string &candidate : folders) {
        const std::string path = candidate + "/" + fileName;
        struct stat st
        {
        };
        if (::stat(path.c_str(), &st) != 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                continue;
        } else if (!S_ISREG(st.st_mode)) {
            // The loader would open a FIFO and wait for a writer for ever.
            error = path + ": not a regular file";
            return nullptr;
        }
        void *handle = openLibrary(path, error);
        if (!handle)
            return nullptr;
        return new Library{std::u16string(name), handle, path};
    }
    error = fileName + " is in neither " + folders[0] + " nor " + folders[1];
    return nullptr;
}

void restrictLibrarySearch()
{
    // Every library is named by its absolute path above, and the loader's own search is the
    // run path's: nothing to restrict.
}

void forgetLibrary(Library *library)
{
    delete library; // the record goes; the library, opened with RTLD_NODELETE, stays
}

void *libraryEntry(Library &library, const char *entry)
{
    if (!library.handle) {
        for (const StandInEntry &known : standIns) {
            if (known.library == library.name && known.entry == entry)
                return known.address;
        }
        return nullptr;
    }
    return ::dlsym(library.handle, entry);
}

std::string libraryFileName(const Library &library)
{
    return library.fileName;
}

std::string lastProfileWriteError(const std::string &)
{
    return profileErrorText();
}

bool profileFlushResultTells()
{
    return true;
}

} // namespace platform
