// SPDX-License-Identifier: MIT
// Putting a settings file's new text on disk for the POSIX profile functions. In order:
// reading within a bound; the temporary files of a replacement and their cleaning; private
// files; extended attributes; the write in place with its backup and its recovery; the
// replacement itself (saveFile), which chooses between the two.
#include "platform/profile_save.h"

#include "platform/links_posix.h"
#include "platform/profile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

namespace platform::save {

// Reads at most the size the file had when it was opened: a file that grows while it is read
// (or a link swapped to an endless one) cannot make the read run out of memory.
int readBounded(int fd, off_t size, std::string &text)
{
    text.clear();
    text.resize(std::size_t(size));
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            text.clear();
            return errno;
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    text.resize(done);
    return 0;
}

// Temporary files are named after the file they replace, hidden, with a tail of random
// letters: ".HUELOFT.INI.writing-Ab3xYz".
std::string temporaryPrefix(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    base.resize(std::min<std::size_t>(base.size(), 200)); // room for the rest within NAME_MAX
    return "." + base + ".writing-";
}
constexpr std::size_t randomTailLength = 6;

// A write killed half-way leaves its temporary file behind. Its writer held a lock on it
// until the end, so a temporary whose lock can be taken has no writer any more and goes;
// one that is locked belongs to a write under way in another process and stays.
void removeStaleTemporaries(const std::string &folder, const std::string &prefix)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + randomTailLength ||
            name.substr(0, prefix.size()) != prefix)
            continue;
        FileDescriptor fd(
            ::openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat opened
        {
        };
        if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode))
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // The name may have been renamed away meanwhile; only remove the very file locked.
        struct stat named
        {
        };
        if (::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

namespace {

int writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data.remove_prefix(std::size_t(n));
    }
    return 0;
}

char randomLetter()
{
    static constexpr char letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char byte = 0;
    if (::getrandom(&byte, 1, GRND_NONBLOCK) != 1) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        byte = static_cast<unsigned char>(now.tv_nsec ^ ::getpid());
    }
    return letters[byte % (sizeof letters - 1)];
}

// The process's file creation mask, read without changing it (umask() can only set it, which
// would race with files that other threads create meanwhile).
mode_t currentUmask()
{
    if (FILE *status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return mode_t(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Creates a new file named Prefix plus a random tail in the folder open as dirFd, readable and
// writable by its owner only, and locks it. Private until it is whole: in a folder that others
// can write, nobody else may open it (and so hold a lock on it) first. The lock is taken
// without waiting: the only other process that can open it is a cleaner of the same user,
// which may have taken the name away between open and lock; another name is tried then.
// Returns the descriptor and sets name, or returns minus the error.
int createPrivate(int dirFd, const std::string &prefix, std::string &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        for (std::size_t i = 0; i < randomTailLength; ++i)
            name += randomLetter();
        const int fd =
            ::openat(dirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -errno;
        }
        int locked = -1;
        while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        struct stat st
        {
        };
        if (locked == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        if (locked != 0)
            ::unlinkat(dirFd, name.c_str(), 0);
        ::close(fd);
    }
    return -EEXIST;
}

// The names of a file's extended attributes; false when they cannot be listed. A file system
// without them has none.
bool attributeNames(int fd, std::vector<std::string> &names)
{
    std::string list(256, '\0');
    ssize_t n;
    while ((n = ::flistxattr(fd, list.data(), list.size())) < 0 && errno == ERANGE) {
        const ssize_t needed = ::flistxattr(fd, nullptr, 0);
        if (needed < 0)
            return false;
        list.resize(std::size_t(needed) + 1);
    }
    names.clear();
    for (ssize_t at = 0; at < n; at += ssize_t(names.back().size()) + 1)
        names.emplace_back(list.c_str() + at);
    return n >= 0 || errno == ENOTSUP;
}

// Gives one file exactly the extended attributes (the ACL among them) of another: copied, and
// those the new file got by itself (from a folder's default ACL) taken away; false when one of
// them cannot be read, set or taken away.
bool copyAttributes(int from, int to)
{
    std::vector<std::string> names, own;
    if (!attributeNames(from, names) || !attributeNames(to, own))
        return false;
    for (const std::string &name : own) {
        if (std::find(names.begin(), names.end(), name) == names.end()
            && ::fremovexattr(to, name.c_str()) != 0)
            return false;
    }
    std::string value;
    for (const std::string &name : names) {
        const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(std::size_t(size));
        const ssize_t got = ::fgetxattr(from, name.c_str(), value.data(), value.size());
        if (got != size || ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            return false;
    }
    return true;
}

int pwriteAll(int fd, std::string_view data)
{
    for (off_t at = 0; !data.empty();) {
        const ssize_t n = ::pwrite(fd, data.data(), data.size(), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data.remove_prefix(std::size_t(n));
        at += n;
    }
    return 0;
}

// The file's content becomes Text, in place: same inode, so every name, owner, attribute and
// mount stays as it was. Synced before it returns.
int overwrite(int fd, std::string_view text)
{
    if (const int error = pwriteAll(fd, text))
        return error;
    if (::ftruncate(fd, off_t(text.size())) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}

// ---- the write in place and its backup -----------------------------------------------------
//
// Where a replacement would not be the same file to everyone, the new text is written over the
// file itself. Before its first byte changes, the old text and the new go to a backup, synced,
// so that whoever finds the file torn later can put the old text back.
//
// Who could interfere, and what stops them:
// - Nobody else can plant, replace or link a backup: it lies in this user's own state folder
//   ($XDG_STATE_HOME/hueloft, else ~/.local/state/hueloft), which must belong to this user and
//   be closed to everyone else, never beside the file in a folder that others may write. A
//   backup is believed only as a regular file of this user with one link, opened without
//   following links.
// - A completed save is never undone: the old text goes back only when every byte of the file
//   is, at its place, a byte of the old text or of the new one, which is all that a write of
//   the new text over the old can leave. A file saved since by anyone else (another user, or
//   through another name of the same file) is not that, and is kept; the backup goes.
// - Backups are named after the file's device and inode, not its name, so a save through any
//   of a file's names finds what a killed save through another left.
// Without a state folder of its own (no $HOME, a folder someone else owns) the write in place
// goes without a backup: a kill in the middle of it can then leave the file torn.

constexpr const char backupMagic[] = "hueloft profile backup 2";

std::string backupPrefix(const struct stat &file)
{
    return "saving-" + std::to_string(static_cast<unsigned long long>(file.st_dev)) + "-" +
           std::to_string(static_cast<unsigned long long>(file.st_ino)) + "-";
}

// The user's state folder for backups, open; -1 when there is none that is safely this user's.
// Create: make it when missing (only below a folder of this user's own).
int openStateFolder(bool create)
{
    auto absolute = [](const char *name) {
        const char *value = std::getenv(name);
        return value && value[0] == '/' ? std::string(value) : std::string();
    };
    std::string base = absolute("XDG_STATE_HOME");
    if (base.empty()) {
        const std::string home = absolute("HOME");
        if (home.empty())
            return -1;
        base = home + "/.local/state";
    }
    const std::string folder = base + "/hueloft";
    auto open = [&] {
        return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    };
    int fd = open();
    if (fd < 0 && errno == ENOENT && create) {
        // Made below the nearest folder that exists, if that one is this user's.
        std::vector<std::string> missing{folder};
        struct stat st
        {
        };
        while (::lstat(folderOfPath(missing.back()).c_str(), &st) != 0 && errno == ENOENT &&
               missing.size() < 8)
            missing.push_back(folderOfPath(missing.back()));
        if (::lstat(folderOfPath(missing.back()).c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid())
            return -1;
        for (auto it = missing.rbegin(); it != missing.rend(); ++it)
            if (::mkdir(it->c_str(), 0700) != 0 && errno != EEXIST)
                return -1;
        fd = open();
    }
    struct stat st
    {
    };
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether Now is what a write of New over Old can leave: at every place a byte of one or the
// other, and no longer than the longer of them.
bool tornBetween(std::string_view now, std::string_view oldText, std::string_view newText)
{
    if (now.size() > std::max(oldText.size(), newText.size()))
        return false;
    for (std::size_t i = 0; i < now.size(); ++i) {
        const bool fromNew = i < newText.size() && now[i] == newText[i];
        const bool fromOld = i < oldText.size() && now[i] == oldText[i];
        if (!fromNew && !fromOld)
            return false;
    }
    return true;
}

// Writes Text over the file open (and locked) as fileFd, for a file whose replacement would
// not be the same file to everyone. A failed write puts the old text back at once; one killed
// half-way is put back by the next one of this user's to use the file (recoverBackups()).
int writeInPlace(int dirFd, const std::string &name, const struct stat &old,
                 std::string_view oldText, std::string_view text)
{
    // A save needs the folder writable too, whichever way it goes: every file of a read-only
    // folder gets the same answer, as when the backup lay beside the file.
    if (::faccessat(dirFd, name.c_str(), W_OK, AT_EACCESS) != 0 ||
        ::faccessat(dirFd, ".", W_OK, AT_EACCESS) != 0)
        return errno;
    FileDescriptor out(
        ::openat(dirFd, name.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    struct stat st
    {
    };
    if (out.get() < 0 || ::fstat(out.get(), &st) != 0)
        return errno;
    if (st.st_dev != old.st_dev || st.st_ino != old.st_ino)
        return EAGAIN; // not the file that was read and locked

    FileDescriptor state(openStateFolder(true));
    std::string backup;
    FileDescriptor keep(state.get() < 0 ? -1 : createPrivate(state.get(), backupPrefix(old), backup));
    auto dropBackup = [&] {
        if (keep.get() >= 0)
            ::unlinkat(state.get(), backup.c_str(), 0);
    };
    if (keep.get() >= 0) {
        char header[160];
        std::snprintf(header, sizeof header, "%s %llu %llu %zu %zu\n", backupMagic,
                      static_cast<unsigned long long>(old.st_dev),
                      static_cast<unsigned long long>(old.st_ino), oldText.size(), text.size());
        int error = writeAll(keep.get(), header);
        if (!error)
            error = writeAll(keep.get(), oldText);
        if (!error)
            error = writeAll(keep.get(), text);
        if (!error && (::fsync(keep.get()) != 0 || ::fsync(state.get()) != 0))
            error = errno;
        if (error)
            return dropBackup(), error;
    }
    if (const int error = overwrite(out.get(), text)) {
        // A full disk, most likely, with the file grown half-way: the old text goes back.
        if (overwrite(out.get(), oldText) == 0)
            dropBackup();
        return error;
    }
    dropBackup();
    return 0;
}

} // namespace

void recoverBackups(int dirFd, const std::string &name, int fileFd)
{
    struct stat file
    {
    };
    if (::fstat(fileFd, &file) != 0 || !S_ISREG(file.st_mode) ||
        std::uint64_t(file.st_size) > kProfileFileSizeLimit)
        return;
    FileDescriptor state(openStateFolder(false));
    DIR *dir = nullptr;
    if (state.get() >= 0) {
        const int scanFd = ::dup(state.get());
        dir = scanFd < 0 ? nullptr : ::fdopendir(scanFd);
        if (!dir && scanFd >= 0)
            ::close(scanFd);
    }
    if (!dir)
        return;
    const std::string prefix = backupPrefix(file);
    std::vector<std::string> found;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (entryName.size() == prefix.size() + randomTailLength &&
            entryName.substr(0, prefix.size()) == prefix)
            found.emplace_back(entryName);
    }
    ::closedir(dir);
    for (const std::string &backup : found) {
        FileDescriptor fd(::openat(state.get(), backup.c_str(),
                                   O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        struct stat st
        {
        };
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_nlink != 1 || st.st_uid != ::geteuid() ||
            std::uint64_t(st.st_size) > 2 * kProfileFileSizeLimit + 160 ||
            ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue; // not one of ours to believe, or its writer is still at work
        std::string content;
        if (readBounded(fd.get(), st.st_size, content) != 0)
            continue;
        unsigned long long device = 0, inode = 0;
        std::size_t oldSize = 0, newSize = 0;
        int headerEnd = 0;
        const std::string format = std::string(backupMagic) + " %llu %llu %zu %zu\n%n";
        const bool parsed = std::sscanf(content.c_str(), format.c_str(), &device, &inode, &oldSize,
                                        &newSize, &headerEnd) == 4 &&
                            headerEnd > 0 && content.size() - std::size_t(headerEnd) == oldSize + newSize;
        if (parsed && device == file.st_dev && inode == file.st_ino) {
            const std::string_view body = std::string_view(content).substr(std::size_t(headerEnd));
            const std::string_view oldText = body.substr(0, oldSize), newText = body.substr(oldSize);
            std::string now;
            if (::lseek(fileFd, 0, SEEK_SET) != 0 || readBounded(fileFd, file.st_size, now) != 0)
                continue;
            if (now != oldText && now != newText && tornBetween(now, oldText, newText)) {
                FileDescriptor out(
                    ::openat(dirFd, name.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
                struct stat same
                {
                };
                if (out.get() < 0 || ::fstat(out.get(), &same) != 0 || same.st_ino != file.st_ino ||
                    same.st_dev != file.st_dev || overwrite(out.get(), oldText) != 0)
                    continue; // kept for a later try
                ::fstat(fileFd, &file);
            }
        }
        // Put back, whole, saved since by someone else, or incomplete (the write in place had
        // not begun): not needed any more.
        ::unlinkat(state.get(), backup.c_str(), 0);
    }
    ::lseek(fileFd, 0, SEEK_SET);
}

namespace {

// Why a replacement would not be the same file to everyone: other names link to it, or it
// belongs to someone this process cannot give a new file to.
bool replacementChangesIdentity(const struct stat &old)
{
    const uid_t me = ::geteuid();
    return old.st_nlink > 1 || (me != 0 && old.st_uid != me);
}

} // namespace

// Replaces the file Name in the folder open as dirFd with text so that a crash at any instant
// leaves the old or the new file complete: the text goes to a temporary file in the same
// folder, takes the old file's owner, group, permissions and extended attributes (the ACL
// among them), is synced to disk, and is renamed over the old. Where the new file could not be
// the same to everyone (other hard links, an owner or an attribute it cannot have, a mount on
// the name) the text is written in place instead, from FileFd, the old file open and locked.
// Everything is relative to the folder's descriptor, so that a folder path near the system's
// length limit works for the temporary name as it does for the file's.
int saveFile(int dirFd, const std::string &name, const std::string &text, int fileFd,
             const struct stat *old, const std::string &oldText)
{
    // Renaming over a read-only file would succeed where writing to it must not.
    if (old && ::faccessat(dirFd, name.c_str(), W_OK, AT_EACCESS) != 0)
        return errno;
    if (old && replacementChangesIdentity(*old))
        return writeInPlace(dirFd, name, *old, oldText, text);

    std::string temporary;
    const int rawFd = createPrivate(dirFd, temporaryPrefix(name), temporary);
    if (rawFd < 0)
        return -rawFd;
    FileDescriptor fd(rawFd);

    auto fail = [&](int error) {
        ::unlinkat(dirFd, temporary.c_str(), 0);
        return error;
    };
    if (const int error = writeAll(fd.get(), text))
        return fail(error);
    if (old) {
        // Root can give the file to its owner; anyone else keeps the group where they belong
        // to it. Whatever cannot be kept sends the text in place.
        if (::fchown(fd.get(), old->st_uid, old->st_gid) != 0)
            (void)!::fchown(fd.get(), uid_t(-1), old->st_gid);
        if (::fchmod(fd.get(), old->st_mode & 07777) != 0)
            return fail(errno);
        struct stat st
        {
        };
        if (!copyAttributes(fileFd, fd.get()) || ::fstat(fd.get(), &st) != 0 ||
            st.st_uid != old->st_uid || st.st_gid != old->st_gid ||
            (st.st_mode & 07777) != (old->st_mode & 07777)) {
            fail(0);
            return writeInPlace(dirFd, name, *old, oldText, text);
        }
    } else if (::fchmod(fd.get(), 0666 & ~currentUmask()) != 0) {
        // A new file gets the usual permissions that the umask leaves, once it is whole.
        return fail(errno);
    }
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (::renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) != 0) {
        const int error = errno;
        fail(error);
        // A file mounted on its name (EBUSY), or one in a folder where only its owner may
        // replace it (EPERM, the sticky bit): written in place.
        if (old && (error == EBUSY || error == EPERM || error == EXDEV))
            return writeInPlace(dirFd, name, *old, oldText, text);
        return error;
    }
    // The rename itself is on disk only once the folder is.
    ::fsync(dirFd);
    return 0;
}


} // namespace platform::save
