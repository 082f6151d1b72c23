// SPDX-License-Identifier: MIT
// The write in place and its backup (profile_save.h): where the backups live, the write in
// place itself, and the recovery of what a write killed half-way left.
#include "platform/profile_save.h"

#include "platform/links_posix.h"
#include "platform/posixfile.h"
#include "platform/profile.h"
#include "platform/tornwrite.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform::save {

using namespace posix;

namespace {

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

} // namespace

// A failed write puts the old text back at once; one killed half-way is put back by the next
// one of this user's to use the file (recoverBackups()). saveFile() has asked whether this
// user may write the file.
int writeInPlace(int dirFd, const std::string &name, const struct stat &old,
                 std::string_view oldText, std::string_view text)
{
    FileDescriptor out(openAt(dirFd, name.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW));
    struct stat st
    {
    };
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

void recoverBackups(int dirFd, const std::string &name, int fileFd)
{
    struct stat file
    {
    };
    if (::fstat(fileFd, &file) != 0 || !S_ISREG(file.st_mode) ||
        std::uint64_t(file.st_size) > kProfileFileSizeLimit)
        return;
    FileDescriptor state(openStateFolder(false));
    if (state.get() < 0)
        return;
    for (const std::string &backup : privateNames(state.get(), backupPrefix(file))) {
        struct stat st
        {
        };
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
            struct stat same
            {
            };
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

} // namespace platform::save
