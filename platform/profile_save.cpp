// SPDX-License-Identifier: MIT
// Putting a settings file's new text on disk (profile_save.h). In order: the write in place and
// its backup; extended attributes; the replacement; the lock's wait; then the cleaning of what
// killed writes left (temporary files, torn files put back) and the flush.
#include "platform/profile_save.h"

#include "platform/links_posix.h"
#include "platform/posixfile.h"
#include "platform/profile.h"
#include "platform/profile_errors.h"
#include "platform/profile_text.h"
#include "platform/tornwrite.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

namespace platform::save {

using namespace posix;

namespace {

// Temporary files are named after the file they replace, hidden, with a tail of random
// letters: ".HUELOFT.INI.writing-Ab3xYz".
std::string temporaryPrefix(const std::string &path)
{
    std::string base = nameOfPath(path);
    base.resize(std::min<std::size_t>(base.size(), 200)); // room for the rest within NAME_MAX
    return "." + base + ".writing-";
}

// The extended attribute a file carries while this user's write in place runs over it, naming
// that write's backup. A replacement never copies it to the new file.
constexpr const char kWritingMark[] = "user.hueloft.writing";

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
// - A completed save is never undone, and no clock is asked (file times have a grain of one or
//   two seconds on the file systems of removable drives, where portable copies live). While
//   the write runs, the file carries the extended attribute user.hueloft.writing, naming the
//   backup; the write takes it away once whole. Every save of this program, by any user,
//   either replaces the file by a new one (without the mark) or writes in place under a mark of
//   its own that it takes away. So a mark that still names the backup proves that no save has
//   completed since the killed one, and the old text goes back only then, and only when every
//   byte of the file is, at its place, a byte of the old text or of the new one (all that a
//   write of the new text over the old can leave). Otherwise the file is kept and the backup
//   goes.
// - Backups are named after the file's device and inode, not its name, so a save through any
//   of a file's names finds what a killed save through another left.
// Without a state folder of its own (no $HOME, a folder someone else owns), or on a file system
// without extended attributes, the write in place goes without a backup: a kill in the middle
// of it can then leave the file torn.

constexpr const char backupMagic[] = "hueloft profile backup 4";

std::string backupPrefix(const struct stat &file)
{
    return "saving-" + std::to_string(static_cast<unsigned long long>(file.st_dev)) + "-" +
           std::to_string(static_cast<unsigned long long>(file.st_ino)) + "-";
}

// Makes Folder (0700) and the missing folders above it, at most Depth of them, when the nearest
// folder that exists is this user's own. One that someone else made meanwhile is judged too.
bool makeOwnFolder(const std::string &folder, int depth)
{
    struct stat st = {};
    if (::lstat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
    return errno == ENOENT && depth > 0 && makeOwnFolder(folderOfPath(folder), depth - 1) &&
           (::mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && makeOwnFolder(folder, 0)));
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
        return openAt(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    };
    int fd = open();
    if (fd < 0 && errno == ENOENT && create && makeOwnFolder(folder, 8))
        fd = open();
    struct stat st = {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A failed write puts the old text back at once; one killed half-way is put back by the next
// one of this user's to use the file (recoverBackups()). saveFile() has asked whether this
// user may write the file.
int writeInPlace(int dirFd, const std::string &name, const struct stat &old,
                 std::string_view oldText, std::string_view text)
{
    FileDescriptor out(openAt(dirFd, name.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW));
    struct stat st = {};
    if (out.get() < 0 || ::fstat(out.get(), &st) != 0)
        return errno;
    if (st.st_dev != old.st_dev || st.st_ino != old.st_ino)
        return EAGAIN; // not the file that was read and locked

    FileDescriptor state(openStateFolder(true));
    std::string backup;
    FileDescriptor keep(state.get() < 0 ? -1
                                        : createPrivate(state.get(), backupPrefix(old), backup));
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
        // Without the mark a later use could not tell this write from one that completed
        // since: the backup would be of no use.
        if (::fsetxattr(out.get(), kWritingMark, backup.data(), backup.size(), 0) != 0)
            dropBackup(), keep.reset(-1);
    }
    auto done = [&] {
        if (keep.get() >= 0)
            ::fremovexattr(out.get(), kWritingMark);
        dropBackup();
    };
    if (const int error = overwrite(out.get(), text)) {
        // A full disk, most likely, with the file grown half-way: the old text goes back.
        if (overwrite(out.get(), oldText) == 0)
            done();
        return error;
    }
    done();
    return 0;
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
    names.erase(std::remove(names.begin(), names.end(), std::string(kWritingMark)), names.end());
    for (const std::string &name : own) {
        if (std::find(names.begin(), names.end(), name) == names.end() &&
            ::fremovexattr(to, name.c_str()) != 0)
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
    // A new file would not be the same file to everyone where other names link to the old one,
    // or where it belongs to someone this process cannot give a new file to.
    if (old && (old->st_nlink > 1 || (::geteuid() != 0 && old->st_uid != ::geteuid())))
        return writeInPlace(dirFd, name, *old, oldText, text);

    std::string temporary;
    const int rawFd = createPrivate(dirFd, temporaryPrefix(name), temporary);
    // A folder that takes no new name (this user may write the file, not the folder): the
    // file is written in place, as it could be by any editor.
    if (rawFd == -EACCES && old)
        return writeInPlace(dirFd, name, *old, oldText, text);
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
        struct stat st = {};
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

// How long a flush waits for another process's lock before it writes anyway. The replacement
// is atomic either way; the lock only keeps two writers from each reading the file before the
// other has replaced it. A process that holds a lock for longer has hung, or means harm.
constexpr std::chrono::milliseconds kLockWait{10000};

void lockWithin(int fd)
{
    // By the clock: on a busy machine the pauses themselves take longer than asked.
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (posix::lock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK &&
           std::chrono::steady_clock::now() < deadline) {
        const timespec pause{0, 5 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

std::string writeError(const std::string &fileName, int error)
{
    return "cannot write " + fileName + ": " + reasonText(error);
}

} // namespace

// A write killed half-way leaves its temporary file behind. Its writer held a lock on it
// until the end, so a temporary whose lock can be taken has no writer any more and goes;
// one that is locked belongs to a write under way in another process and stays. Only this
// user's own regular files of one link are taken (openLeftOver()): anything else at such a
// name was not made by a save of this user's, and is nobody's business here.
void removeStaleTemporaries(int dirFd, const std::string &name)
{
    for (const std::string &left : privateNames(dirFd, temporaryPrefix(name))) {
        struct stat opened = {};
        FileDescriptor fd(openLeftOver(dirFd, left, opened));
        // The name may have been renamed away meanwhile; only remove the very file locked.
        struct stat named = {};
        if (fd.get() >= 0 && ::fstatat(dirFd, left.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat(dirFd, left.c_str(), 0);
    }
}

void recoverBackups(int dirFd, const std::string &name, int fileFd)
{
    struct stat file = {};
    if (::fstat(fileFd, &file) != 0 || !S_ISREG(file.st_mode) ||
        std::uint64_t(file.st_size) > kProfileFileSizeLimit)
        return;
    FileDescriptor state(openStateFolder(false));
    if (state.get() < 0)
        return;
    for (const std::string &backup : privateNames(state.get(), backupPrefix(file))) {
        struct stat st = {};
        FileDescriptor fd(openLeftOver(state.get(), backup, st));
        if (fd.get() < 0 || std::uint64_t(st.st_size) > 2 * kProfileFileSizeLimit + 160)
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
                            headerEnd > 0 &&
                            content.size() - std::size_t(headerEnd) == oldSize + newSize;
        // The mark still names this backup: no save has completed since.
        char mark[64] = {};
        const ssize_t markSize = ::fgetxattr(fileFd, kWritingMark, mark, sizeof mark);
        const bool marked = markSize == ssize_t(backup.size()) &&
                            std::string_view(mark, std::size_t(markSize)) == backup;
        if (parsed && marked && device == file.st_dev && inode == file.st_ino) {
            const std::string_view body = std::string_view(content).substr(std::size_t(headerEnd));
            const std::string_view oldText = body.substr(0, oldSize),
                                   newText = body.substr(oldSize);
            std::string now;
            if (::lseek(fileFd, 0, SEEK_SET) != 0 || readBounded(fileFd, file.st_size, now) != 0)
                continue;
            FileDescriptor out(openAt(dirFd, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK));
            struct stat same = {};
            if (out.get() < 0 || ::fstat(out.get(), &same) != 0 || same.st_ino != file.st_ino ||
                same.st_dev != file.st_dev)
                continue; // kept for a later try
            if (now != oldText && now != newText && tornBetween(now, oldText, newText)) {
                if (overwrite(out.get(), oldText) != 0)
                    continue;
                ::fstat(fileFd, &file);
            }
            ::fremovexattr(out.get(), kWritingMark);
        }
        // Put back, whole, saved since by someone else, or incomplete (the write in place had
        // not begun): not needed any more.
        ::unlinkat(state.get(), backup.c_str(), 0);
    }
    ::lseek(fileFd, 0, SEEK_SET);
}

// The lock is taken on the file itself, so that nothing but the file is ever created for it
// (no lock file); a writer that renamed a new file over it meanwhile leaves our descriptor on
// the old inode, so the path is checked to still name the locked file, and the lock taken
// again if not. A file that does not exist yet has nothing to lock: its folder is locked
// instead, and the path checked to be still missing. Running out of memory is a failure like
// any other.
std::string flushFile(const std::string &fileName, std::vector<profile::Edit> edits)
try {
    if (edits.empty())
        return {};
    std::string path = fileName;
    if (const int error = followLinks(path))
        return writeError(fileName, error);
    const std::string folder = folderOfPath(path);
    const std::string name = nameOfPath(path);

    FileDescriptor dirFd(posix::openAt(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (dirFd.get() < 0)
        return writeError(fileName, errno);
    FileDescriptor fileFd;
    bool folderLocked = false;
    struct stat st = {};
    bool exists = false, settled = false;
    // A file replaced again at every look belongs to a program that never stops writing it;
    // after this many tries the save gives up rather than guess what the file holds.
    for (int attempt = 0; attempt < 100 && !settled; ++attempt) {
        fileFd.reset(posix::openAt(dirFd.get(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW));
        if (fileFd.get() >= 0) {
            if (::fstat(fileFd.get(), &st) != 0)
                return writeError(fileName, errno);
            if (const int error = kindError(st))
                return writeError(fileName, error);
            struct stat where = {};
            if (::fstat(dirFd.get(), &where) != 0)
                return writeError(fileName, errno);
            // What was opened is judged again: the name may have changed hands since.
            if (const int verdict = entryVerdict(st, where))
                return writeError(fileName, verdict);
            lockWithin(fileFd.get());
            struct stat named = {};
            if (::fstatat(dirFd.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                named.st_dev == st.st_dev && named.st_ino == st.st_ino) {
                exists = settled = true;
                break;
            }
            continue; // replaced meanwhile: lock the new one
        }
        if (errno != ENOENT) // ELOOP: a link put in its place since the links were followed
            return writeError(fileName, errno);
        if (!folderLocked) {
            lockWithin(dirFd.get());
            folderLocked = true;
        }
        struct stat named = {};
        if (::fstatat(dirFd.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 &&
            errno == ENOENT)
            settled = true; // still missing, and we create it
    }
    // Without the file read under the lock, a save would leave only the held edits.
    if (!settled)
        return writeError(fileName, KeptChanging);

    // A write killed half-way may have left its temporary file behind; it goes now, also
    // when this flush turns out to change nothing.
    save::removeStaleTemporaries(dirFd.get(), name);

    std::string text;
    if (exists) {
        // A write in place killed half-way is put back first: the edits apply to whole text.
        save::recoverBackups(dirFd.get(), name, fileFd.get());
        if (::fstat(fileFd.get(), &st) != 0)
            return writeError(fileName, errno);
        if (const int error = kindError(st))
            return writeError(fileName, error);
        if (const int error = readBounded(fileFd.get(), st.st_size, text))
            return writeError(fileName, error);
    }
    // A UTF-16 file is edited as 8-bit text and written back as UTF-16.
    profile::FileText wide;
    if (profile::isWide(text))
        wide = profile::decodedFile(text);
    const bool utf16 = wide.encoding != profile::Encoding::Bytes;
    auto changed =
        profile::editedAll(utf16 ? wide.text : text, edits, profile::newLineEndFor(wide.encoding));
    if (!changed)
        return {};
    if (utf16) {
        wide.text = std::move(*changed);
        *changed = profile::encodedFile(wide);
    }
    if (const int error =
            save::saveFile(dirFd.get(), name, *changed, fileFd.get(), exists ? &st : nullptr, text))
        return writeError(fileName, error);
    return {};
} catch (const std::bad_alloc &) {
    return writeError(fileName, ENOMEM);
}

} // namespace platform::save
