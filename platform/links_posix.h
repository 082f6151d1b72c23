// SPDX-License-Identifier: MIT
#pragma once

// Which entries of a folder this program may use, and following the symbolic links that a
// settings or library path names, for every use alike: reading and saving the settings, the
// choice of the settings file, and loading the program's own libraries.
//
// The rule, decided here and nowhere else:
// - A folder is private when nobody but this user and root can create or remove names in it:
//   it is this user's or root's, and its mode grants no write to group or others. With an ACL
//   the group bits are the ACL's mask, which bounds every named entry, so the mode tells
//   whether any entry grants someone else write.
// - In a private folder the program uses what it finds.
// - In a shared folder it uses a regular file with exactly one link that is this user's or
//   root's (or, in a sticky folder, the folder owner's, whom the kernel lets replace anything
//   there anyway), and a symbolic link only in a sticky folder and only of this user's own: in a
//   folder without the sticky bit anyone can rename this user's own link onto the settings
//   name, and a link of the folder owner's could lead this user's save into any of this
//   user's files. Anything else is never read,
//   written, followed or loaded: another user's file or link (they can change it whenever they
//   like, or made it to catch this user's settings or run code in this process), and a hard
//   link to a file kept elsewhere (written in place, it would change that other file).
//   A FIFO, socket or folder of this user's own is left to the kind checks, which refuse it
//   with their own words (notRegularKind()).

#include <cerrno>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

// The rule's verdicts, beside the errno values the functions below return.
constexpr int kStrangersLink = -3;
constexpr int kStrangersFile = -5;
constexpr int kLinkedFile = -6;
constexpr int kLooseLink = -7;

inline const char *unusableText(int verdict)
{
    switch (verdict) {
    case kStrangersLink:
        return "it is a link that another user made in a folder others can write";
    case kLooseLink:
        return "it is a link in a folder where others can rename any entry (not sticky)";
    case kStrangersFile:
        return "it is a file that another user made in a folder others can write";
    case kLinkedFile:
        return "it is a file with more than one name in a folder others can write";
    default:
        return nullptr;
    }
}

// What a path that is not a regular file is, in words, for the one line that says why a
// settings file is neither read nor written; null for a regular file.
inline const char *notRegularKind(mode_t mode)
{
    if (S_ISREG(mode))
        return nullptr;
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "an unknown kind of file";
}

inline std::string folderOfPath(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

inline std::string nameOfPath(const std::string &path)
{
    return path.substr(path.rfind('/') + 1); // npos + 1: the whole path
}

inline bool privateFolder(const struct stat &folder)
{
    const uid_t me = ::geteuid();
    return (folder.st_uid == me || folder.st_uid == 0) && !(folder.st_mode & (S_IWGRP | S_IWOTH));
}

// 0 when the entry (as lstat() or fstat() describes it) may be used in that folder, else the
// verdict that says why not.
inline int entryVerdict(const struct stat &entry, const struct stat &folder)
{
    if (privateFolder(folder))
        return 0;
    const bool sticky = folder.st_mode & S_ISVTX;
    if (S_ISLNK(entry.st_mode))
        return entry.st_uid != ::geteuid() ? kStrangersLink : sticky ? 0 : kLooseLink;
    const bool owned = entry.st_uid == ::geteuid() || entry.st_uid == 0 ||
                       (sticky && entry.st_uid == folder.st_uid);
    if (!owned)
        return kStrangersFile;
    // (No link at all: removed since it was opened, which the callers see for themselves.)
    if (S_ISREG(entry.st_mode) && entry.st_nlink > 1)
        return kLinkedFile;
    return 0;
}

// The verdict for the entry at Path, described by Entry (a descriptor's fstat(), so that what
// was opened is what is judged); an errno value when its folder cannot be looked at.
inline int verdictAt(const std::string &path, const struct stat &entry)
{
    struct stat folder = {};
    if (::stat(folderOfPath(path).c_str(), &folder) != 0)
        return errno;
    return entryVerdict(entry, folder);
}

// Replaces Path by the file its last component's links lead to, so that a write can replace
// that file and leave the link a link, with the rule applied to every link on the way and to
// the file reached. Returns 0, an errno value, or a verdict. At most 40 links, the limit the
// kernel itself applies to one path (ELOOP beyond). A path that leads to nothing is left to
// the caller.
inline int followLinks(std::string &path)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st = {};
        if (::lstat(path.c_str(), &st) != 0)
            return 0;
        if (const int verdict = verdictAt(path, st))
            return verdict;
        if (!S_ISLNK(st.st_mode))
            return 0;
        std::string target(std::size_t(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        if (std::size_t(n) >= target.size())
            return ENAMETOOLONG; // the link changed while being read
        target.resize(std::size_t(n));
        if (target.empty() || target.front() != '/')
            target = folderOfPath(path) + "/" + target;
        path = std::move(target);
    }
    return ELOOP;
}

} // namespace platform
