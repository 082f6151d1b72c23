// SPDX-License-Identifier: MIT
// Putting a settings file's new text on disk (profile_save.h). In order: the temporary files of
// a replacement and their cleaning; extended attributes; the replacement; the flush.
#include "platform/profile_save.h"

#include "platform/links_posix.h"
#include "platform/posixfile.h"
#include "platform/profile_errors.h"
#include "platform/profile_text.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

namespace platform::save {

using namespace posix;

// Temporary files are named after the file they replace, hidden, with a tail of random
// letters: ".HUELOFT.INI.writing-Ab3xYz".
std::string temporaryPrefix(const std::string &path)
{
    std::string base = nameOfPath(path);
    base.resize(std::min<std::size_t>(base.size(), 200)); // room for the rest within NAME_MAX
    return "." + base + ".writing-";
}

// A write killed half-way leaves its temporary file behind. Its writer held a lock on it
// until the end, so a temporary whose lock can be taken has no writer any more and goes;
// one that is locked belongs to a write under way in another process and stays. Only this
// user's own regular files of one link are taken (openLeftOver()): anything else at such a
// name was not made by a save of this user's, and is nobody's business here.
void removeStaleTemporaries(int dirFd, const std::string &prefix)
{
    for (const std::string &name : privateNames(dirFd, prefix)) {
        struct stat opened
        {
        };
        FileDescriptor fd(openLeftOver(dirFd, name, opened));
        // The name may have been renamed away meanwhile; only remove the very file locked.
        struct stat named
        {
        };
        if (fd.get() >= 0 && ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat(dirFd, name.c_str(), 0);
    }
}

namespace {

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

namespace {

// How long a flush waits for another process's lock before it writes anyway. The replacement
// is atomic either way; the lock only keeps two writers from each reading the file before the
// other has replaced it. A process that holds a lock for longer has hung, or means harm.
constexpr int lockWaitMilliseconds = 10000;

bool lockWithin(int fd)
{
    // By the clock: on a busy machine the pauses themselves take longer than asked.
    auto milliseconds = [] {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return std::int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    };
    const std::int64_t deadline = milliseconds() + lockWaitMilliseconds;
    for (;;) {
        if (posix::lock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK)
            return false;
        if (milliseconds() >= deadline)
            return false;
        const timespec pause{0, 5 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

std::string writeError(const std::string &fileName, int error)
{
    return "cannot write " + fileName + ": " + reasonText(error);
}

} // namespace

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
    struct stat st
    {
    };
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
            struct stat where
            {
            };
            if (::fstat(dirFd.get(), &where) != 0)
                return writeError(fileName, errno);
            // What was opened is judged again: the name may have changed hands since.
            if (const int verdict = entryVerdict(st, where))
                return writeError(fileName, verdict);
            lockWithin(fileFd.get());
            struct stat named
            {
            };
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
        struct stat named
        {
        };
        if (::fstatat(dirFd.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 &&
            errno == ENOENT)
            settled = true; // still missing, and we create it
    }
    // Without the file read under the lock, a save would leave only the held edits.
    if (!settled)
        return writeError(fileName, KeptChanging);

    // A write killed half-way may have left its temporary file behind; it goes now, also
    // when this flush turns out to change nothing.
    save::removeStaleTemporaries(dirFd.get(), save::temporaryPrefix(name));

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
