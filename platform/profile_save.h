// SPDX-License-Identifier: MIT
#pragma once

// How the POSIX profile functions put a settings file's new text on disk (profile.cpp decides
// what the text is; this decides how it gets there): a replacement through a private
// temporary file where the new file can be the same file to everyone, else a write in place
// protected by a backup in the user's own state folder; and the recovery of what a write
// killed half-way left. Internal to the profile library.

#include <string>
#include <string_view>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform::save {

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

// Reads at most Size bytes from the start of the descriptor's position; 0 or an errno value.
int readBounded(int fd, off_t size, std::string &text);

// The name prefix of the temporary files that replace the file at Path.
std::string temporaryPrefix(const std::string &path);

// Takes away the temporary files that killed writes left in Folder (those nobody holds).
void removeStaleTemporaries(const std::string &folder, const std::string &prefix);

// Puts back the old text of the file Name (in the folder open as dirFd, open and locked as
// fileFd) where this user's own write in place was killed half-way; drops backups that are
// no longer needed.
void recoverBackups(int dirFd, const std::string &name, int fileFd);

// Puts Text in the place of the file Name in the folder open as dirFd. Old: the file as it
// was read and locked (open as fileFd) with its text, or null for a new file. 0 or an errno.
int saveFile(int dirFd, const std::string &name, const std::string &text, int fileFd,
             const struct stat *old, const std::string &oldText);

} // namespace platform::save
