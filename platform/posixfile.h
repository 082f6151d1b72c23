// SPDX-License-Identifier: MIT
#pragma once

// The POSIX file calls of the profile library, each wrapped once: a descriptor closed by its
// owner, every open with O_CLOEXEC and O_NOCTTY (no descriptor leaks into a program started
// meanwhile, no device becomes the controlling terminal), interrupted calls (EINTR) retried
// here and nowhere else, and whole reads and writes. Internal to the profile library.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform::posix {

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// openat() with O_CLOEXEC and O_NOCTTY added; -1 and errno on failure.
int openAt(int dirFd, const char *path, int flags, mode_t mode = 0);

// flock(); 0, or -1 and errno.
int lock(int fd, int operation);

// Reads at most Size bytes from the descriptor's position; 0 or an errno value.
int readBounded(int fd, off_t size, std::string &text);

// Writes all of Data at the descriptor's position; 0 or an errno value.
int writeAll(int fd, std::string_view data);

// The file's content becomes Text, in place: same inode, so every name, owner, attribute and
// mount stays as it was. Synced before it returns; 0 or an errno value.
int overwrite(int fd, std::string_view text);

// The random tail of the names createPrivate() makes.
constexpr std::size_t randomTailLength = 6;

// Creates a new file named Prefix plus a random tail in the folder open as dirFd, 0600,
// locked; returns its descriptor and sets Name, or returns minus the error.
int createPrivate(int dirFd, const std::string &prefix, std::string &name);

// The names in the folder open as dirFd that createPrivate() could have made with Prefix.
std::vector<std::string> privateNames(int dirFd, const std::string &prefix);

// Opens Name in the folder open as dirFd, never through a link, when it is a regular file of
// this user's with one link, and locks it without waiting; sets St. -1 for anything else at
// that name, and for a file that another process holds locked (a write still under way).
int openLeftOver(int dirFd, const std::string &name, struct stat &st);

// The process's file creation mask.
mode_t currentUmask();

} // namespace platform::posix
