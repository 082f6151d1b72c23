// SPDX-License-Identifier: MIT
// The POSIX file calls of the profile library, wrapped once (see posixfile.h). In order: open
// and lock; whole reads and writes; the creation mask; private files with random names.
#include "platform/posixfile.h"

#include <cerrno>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>

namespace platform::posix {

int openAt(int dirFd, const char *path, int flags, mode_t mode)
{
    int fd;
    while ((fd = ::openat(dirFd, path, flags | O_CLOEXEC | O_NOCTTY, mode)) < 0 && errno == EINTR) {
    }
    return fd;
}

int lock(int fd, int operation)
{
    int result;
    while ((result = ::flock(fd, operation)) != 0 && errno == EINTR) {
    }
    return result;
}

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

int overwrite(int fd, std::string_view text)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return errno;
    if (const int error = writeAll(fd, text))
        return error;
    if (::ftruncate(fd, off_t(text.size())) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}

namespace {

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

} // namespace

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

// Private until it is whole: in a folder that others can write, nobody else may open it (and
// so hold a lock on it) first. The lock is taken without waiting: the only other process that
// can open it is a cleaner of the same user, which may have taken the name away between open
// and lock; another name is tried then.
int createPrivate(int dirFd, const std::string &prefix, std::string &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        for (std::size_t i = 0; i < randomTailLength; ++i)
            name += randomLetter();
        const int fd = openAt(dirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -errno;
        }
        const int locked = lock(fd, LOCK_EX | LOCK_NB);
        struct stat st = {};
        if (locked == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        if (locked != 0)
            ::unlinkat(dirFd, name.c_str(), 0);
        ::close(fd);
    }
    return -EEXIST;
}

std::vector<std::string> privateNames(int dirFd, const std::string &prefix)
{
    std::vector<std::string> names;
    // A descriptor of its own, so that the listing starts at the folder's first entry.
    const int scanFd = openAt(dirFd, ".", O_RDONLY | O_DIRECTORY);
    DIR *dir = scanFd < 0 ? nullptr : ::fdopendir(scanFd);
    if (!dir) {
        if (scanFd >= 0)
            ::close(scanFd);
        return names;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() == prefix.size() + randomTailLength && name.starts_with(prefix))
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

int openLeftOver(int dirFd, const std::string &name, struct stat &st)
{
    const int fd = openAt(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        st.st_nlink == 1 && lock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

} // namespace platform::posix
