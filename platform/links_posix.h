// SPDX-License-Identifier: MIT
#pragma once

// Following the symbolic links that a settings path names, for the profile functions (reads
// and writes) and for the choice of the settings file alike, so that both agree on which
// file a path means and on which links are not followed at all; and which files in a shared
// folder are another user's, for those two and for the libraries the program loads.

#include <cerrno>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

// A link that another user made in a sticky folder that others can write: never followed.
// Anyone may create a name in /tmp or a shared 1777 folder, and a link planted at the name
// of a user's settings file would send that user's reads and writes anywhere the user may
// write (~/.bashrc). Linux's fs.protected_symlinks applies the same rule to every open;
// the writes here resolve links themselves, so they apply it whatever that setting says.
constexpr int kUntrustedLink = -3;

inline std::string folderOfPath(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the entry (a link, or a file) described by Entry, in the folder described by Folder,
// may be used: outside a sticky folder that others can write always; inside one only when it
// is this user's or the folder owner's (the kernel's protected_symlinks and protected_regular).
inline bool trustedInFolder(const struct stat &entry, const struct stat &folder)
{
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || entry.st_uid == ::geteuid() || entry.st_uid == folder.st_uid;
}

// Whether the file that File describes, at Path, lies in a sticky folder that others can write
// and belongs to neither this user nor the folder's owner: what no program of this user reads,
// writes or loads.
inline bool plantedInSharedFolder(const std::string &path, const struct stat &file)
{
    struct stat folder
    {
    };
    return ::stat(folderOfPath(path).c_str(), &folder) == 0 && !trustedInFolder(file, folder);
}

// Replaces Path by the file its last component's links lead to, so that a write can replace
// that file and leave the link a link. Returns 0, an errno value, or kUntrustedLink. At most
// 40 links, the limit the kernel itself applies to one path (ELOOP beyond). Final, if given,
// gets what lstat() says of the file reached (st_mode 0 when there is none).
inline int followLinks(std::string &path, struct stat *final = nullptr)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st
        {
        };
        if (::lstat(path.c_str(), &st) != 0)
            st.st_mode = 0;
        if (!S_ISLNK(st.st_mode)) {
            if (final)
                *final = st;
            return 0;
        }
        struct stat folder
        {
        };
        if (::stat(folderOfPath(path).c_str(), &folder) != 0)
            return errno;
        if (!trustedInFolder(st, folder))
            return kUntrustedLink;
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
