// SPDX-License-Identifier: MIT
#include "platform/settingsfacts.h"

#include "platform/links_posix.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

bool isFile(const std::string &path)
{
    struct stat st = {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Whether Folder, or the nearest of the folders above it that exists, belongs to another user
// than this one or root: nothing is made or kept there. Root started with another user's
// environment (su without -, sudo -E) would otherwise make ~/.config/hueloft and its file as
// root's own in that user's home, where the user's own sessions could no longer save.
bool othersPlace(std::string folder)
{
    struct stat st = {};
    while (::stat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT || folder == "/")
            return false;
        folder = folderOfPath(folder);
    }
    return st.st_uid != ::geteuid() && st.st_uid != 0;
}

// The effective user decides, as for the open itself; root may write anything but a
// read-only file system.
bool allowed(const std::string &path, int mode)
{
    return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

} // namespace

std::string programFolder()
{
    std::string target(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
        if (n < 0)
            return {};
        if (std::size_t(n) < target.size()) {
            target.resize(std::size_t(n));
            return folderOfPath(target);
        }
        target.resize(target.size() * 2);
    }
}

FileFacts fileFacts(const std::string &path)
{
    FileFacts facts;
    struct stat st = {};
    // What the rule of links_posix.h refuses (another user's file or link in a folder others
    // can write, a hard link there) is a file this user cannot use: neither read nor written,
    // and the settings go to the per-user file.
    std::string target = path;
    const int linked = followLinks(target);
    if (unusableText(linked)) {
        facts.exists = true;
        facts.unusable = unusableText(linked);
        return facts;
    }
    // A link counts as the file it names; a dangling one as no file (writing makes it).
    if (::stat(path.c_str(), &st) != 0) {
        facts.writable = allowed(folderOfPath(path), W_OK);
        return facts;
    }
    facts.exists = true;
    if (const char *kind = notRegularKind(st.st_mode))
        facts.notRegular = kind;
    facts.readable = allowed(path, R_OK);
    facts.writable = allowed(path, W_OK);
    return facts;
}

std::int64_t fileSize(const std::string &path)
{
    struct stat st = {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 ? std::int64_t(st.st_size) : -1;
}

SettingsFacts settingsFacts(const std::string &folder, const std::string &installedLibraryFolder)
{
    SettingsFacts facts;
    facts.programFolder = folder;
    if (folder.empty())
        facts.programFolderProblem = "the system does not name the program's folder";
    else
        facts.besideProgram = fileFacts(folder + "/HUELOFT.INI");
    facts.installed = !folder.empty() && !isFile(folder + "/libswatchy.so") &&
                      !installedLibraryFolder.empty() &&
                      isFile(installedLibraryFolder + "/libswatchy.so");

    // A relative $XDG_CONFIG_HOME is ignored, as the XDG base directory rules say; without an
    // absolute $HOME there is no per-user folder at all (rather than one under whatever folder
    // the program was started from, or under the root folder). Another user's place is passed
    // over for this user's own home in the password database.
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/' || othersPlace(config)) {
        std::string home = environment("HOME");
        if (home.empty() || home.front() != '/') {
            facts.perUserProblem = std::string("there is no per-user folder ($HOME is ") +
                                   (home.empty() ? "not set" : "not an absolute path") + ")";
            return facts;
        }
        if (othersPlace(home)) {
            const passwd *me = ::getpwuid(::geteuid());
            const std::string own = me && me->pw_dir ? me->pw_dir : "";
            if (own.empty() || own.front() != '/' || othersPlace(own)) {
                facts.perUserProblem = "there is no per-user folder ($HOME " + home +
                                       " belongs to another user)";
                return facts;
            }
            home = own;
        }
        config = home + "/.config";
    }
    facts.perUserFolder = config + "/hueloft";
    // A portable copy whose own file can be used never looks at the per-user one.
    const bool ownUsable =
        !folder.empty() && facts.besideProgram.writable && facts.besideProgram.notRegular.empty();
    if (facts.installed || !ownUsable)
        facts.perUserFile = fileFacts(facts.perUserFolder + "/HUELOFT.INI");
    return facts;
}

std::string makeFoldersFor(const std::string &path)
{
    const std::string folder = folderOfPath(path);
    struct stat st = {};
    if (::stat(folder.c_str(), &st) == 0)
        return {};
    if (const std::string error = makeFoldersFor(folder); !error.empty())
        return error;
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return "cannot create " + folder + ": " + std::strerror(errno);
    return {};
}

} // namespace platform
