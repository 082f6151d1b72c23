// SPDX-License-Identifier: MIT
// The profile functions on POSIX systems: the file is read whole on every call and replaced
// whole, through a temporary file in the same folder, on every write that changes it.
#include "platform/profile.h"

#include "platform/filekind.h"
#include "platform/profile_text.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

thread_local std::string t_errorText;

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

std::optional<std::string_view> argument(const char *s)
{
    if (!s)
        return std::nullopt;
    return profile::trimArgument(s);
}

// Beside the errno values, one error of our own: the path names something that is never read
// or replaced. A settings path that names a device, a FIFO or a socket must not make the
// program block, read without end or put a regular file in the device's place; the kind goes
// into the error text.
constexpr int NotRegular = -1;
thread_local mode_t t_notRegularMode = 0;

int kindError(mode_t mode)
{
    if (S_ISREG(mode))
        return 0;
    if (S_ISDIR(mode))
        return EISDIR; // the system's own words say it well enough
    t_notRegularMode = mode;
    return NotRegular;
}

std::string reasonText(int error)
{
    if (error == NotRegular) {
        const char *kind = notRegularKind(t_notRegularMode);
        return std::string("it is ") + kind + ", not a regular file";
    }
    return std::generic_category().message(error);
}

// Opens path for reading when it is (or links to) a regular file. O_NONBLOCK keeps the open
// of a FIFO from waiting for a writer; it changes nothing for a regular file.
int openRegular(const char *path, FileDescriptor &fd, struct stat &st)
{
    fd.reset(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return errno;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    return kindError(st.st_mode);
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

// Reads the whole file; a missing file reads as empty with missing set.
int readWhole(const std::string &path, std::string &text, bool &missing)
{
    text.clear();
    missing = false;
    FileDescriptor fd;
    struct stat st
    {
    };
    if (const int error = openRegular(path.c_str(), fd, st)) {
        if (error == ENOENT) {
            missing = true;
            return 0;
        }
        return error;
    }
    return readBounded(fd.get(), st.st_size, text);
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes go to the file a symbolic link names, so that the link itself stays a link.
int followLinks(std::string &path)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st
        {
        };
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0;
        std::string target(std::size_t(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        if (std::size_t(n) >= target.size())
            return ENAMETOOLONG; // the link changed while being read
        target.resize(std::size_t(n));
        if (target.empty() || target.front() != '/')
            target = folderOf(path) + "/" + target;
        path = std::move(target);
    }
    return ELOOP;
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

// Replaces the file at path (no link) with text so that a crash at any instant leaves the
// old or the new file complete: the text goes to a temporary file in the same folder, is
// synced to disk, takes the old file's owner and permissions, and is renamed over the old.
int replaceFile(const std::string &path, const std::string &text)
{
    struct stat old
    {
    };
    const bool exists = ::stat(path.c_str(), &old) == 0;
    // Renaming over a read-only file would succeed where writing to it must not.
    if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return errno;

    const std::string folder = folderOf(path);
    const std::string prefix = temporaryPrefix(path);

    static constexpr char letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string temporary;
    int rawFd = -1;
    for (int attempt = 0; attempt < 100 && rawFd < 0; ++attempt) {
        temporary = folder + "/" + prefix;
        for (std::size_t i = 0; i < randomTailLength; ++i)
            temporary += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        // Private until the old file's permissions are copied; a new file gets the usual
        // permissions that the umask leaves.
        rawFd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                       exists ? 0600 : 0666);
        if (rawFd < 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        // Locked before anything is written; a cleaner in another process may have removed
        // the name between open and lock, and the file is then useless.
        struct stat st
        {
        };
        while (::flock(rawFd, LOCK_EX) != 0 && errno == EINTR) {
        }
        if (::fstat(rawFd, &st) != 0 || st.st_nlink == 0) {
            ::close(rawFd);
            rawFd = -1;
        }
    }
    if (rawFd < 0)
        return EEXIST;
    FileDescriptor fd(rawFd);

    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return error;
    };
    if (const int error = writeAll(fd.get(), text))
        return fail(error);
    if (exists) {
        // Only root can give the file away; for anyone else the old owner is kept where the
        // file was theirs anyway, and the group where they belong to it.
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0)
            (void)!::fchown(fd.get(), uid_t(-1), old.st_gid);
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0)
            return fail(errno);
    }
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return fail(errno);
    // The rename itself is on disk only once the folder is.
    FileDescriptor dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0)
        ::fsync(dirFd.get());
    return 0;
}

int failWith(const char *fileName, const std::string &reason)
{
    t_errorText = std::string("cannot write ") + (fileName ? fileName : "(null)") + ": " + reason;
    return 0;
}

int failWith(const char *fileName, int error)
{
    return failWith(fileName, reasonText(error));
}

// Takes away what writes killed half-way left beside the file, the first time this process
// touches it: a start after a crash finds the folder clean, even before its first write.
void tidyOnce(const char *fileName)
{
    thread_local std::unordered_set<std::string> tidied;
    if (!tidied.insert(fileName).second)
        return;
    std::string path = fileName;
    if (path.empty() || path.back() == '/' || followLinks(path) != 0)
        return;
    // Only beside a settings file that is, or may become, a regular file: a link to a device
    // must not send us cleaning /dev.
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0 ? S_ISREG(st.st_mode) : errno == ENOENT)
        removeStaleTemporaries(folderOf(path), temporaryPrefix(path));
}

// A large file is read once and kept, with where each of its sections starts, for as long as
// it stays the same file with the same size and times: the two dozen reads of a start-up
// then cost one read of the file instead of two dozen. Smaller files are read afresh at every
// call, which is cheaper than the bookkeeping.
constexpr off_t cachedFromSize = 1 << 20;

struct ReadCache
{
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    timespec changed{};
    std::string text;
    std::unordered_map<std::string, std::size_t> sections;

    bool describes(const std::string &p, const struct stat &st) const
    {
        return p == path && st.st_dev == device && st.st_ino == inode && st.st_size == size
               && st.st_mtim.tv_sec == modified.tv_sec && st.st_mtim.tv_nsec == modified.tv_nsec
               && st.st_ctim.tv_sec == changed.tv_sec && st.st_ctim.tv_nsec == changed.tv_nsec;
    }
};
thread_local ReadCache t_readCache;

// The cache for fileName when the file is large enough to be kept, filled or renewed as
// needed; null for a small, missing or unreadable file.
const ReadCache *largeFile(const char *fileName)
{
    FileDescriptor fd;
    struct stat st
    {
    };
    if (openRegular(fileName, fd, st) != 0 || st.st_size < cachedFromSize)
        return nullptr;
    ReadCache &cache = t_readCache;
    if (cache.describes(fileName, st))
        return &cache;

    cache = ReadCache{};
    if (readBounded(fd.get(), st.st_size, cache.text) != 0) {
        cache = ReadCache{};
        return nullptr;
    }
    // Changed while being read: take it as it is, but do not keep it.
    struct stat after
    {
    };
    if (::fstat(fd.get(), &after) != 0 || after.st_size != st.st_size
        || after.st_mtim.tv_nsec != st.st_mtim.tv_nsec || after.st_mtim.tv_sec != st.st_mtim.tv_sec)
        st.st_size = -1;
    cache.path = fileName;
    cache.device = st.st_dev;
    cache.inode = st.st_ino;
    cache.size = st.st_size;
    cache.modified = st.st_mtim;
    cache.changed = st.st_ctim;
    cache.sections = profile::firstSections(cache.text);
    return &cache;
}

// The trimmed value of section/key, if the file has it. The view points into Text, or into
// the cache of a large file, and stays valid until the next call of this thread.
std::optional<std::string_view> lookUp(const char *section, const char *key, const char *fileName,
                                       std::string &text)
{
    if (!section || !key || !fileName)
        return std::nullopt;
    tidyOnce(fileName);
    const std::string_view sectionName = profile::trimArgument(section);
    if (const ReadCache *cache = largeFile(fileName)) {
        const auto first = cache->sections.find(profile::foldedName(sectionName));
        if (first == cache->sections.end())
            return std::nullopt;
        const profile::Location at = profile::locate(cache->text, sectionName,
                                                     profile::trimArgument(key), first->second);
        if (!at.keyFound)
            return std::nullopt;
        return profile::unquote(
            std::string_view(cache->text).substr(at.valueBegin, at.valueEnd - at.valueBegin));
    }
    bool missing = false;
    if (readWhole(fileName, text, missing) || missing)
        return std::nullopt;
    const profile::Location at =
        profile::locate(text, sectionName, profile::trimArgument(key));
    if (!at.keyFound)
        return std::nullopt;
    return profile::unquote(
        std::string_view(text).substr(at.valueBegin, at.valueEnd - at.valueBegin));
}

} // namespace

std::uint32_t GetPrivateProfileIntA(const char *section, const char *key, int defaultValue,
                                    const char *fileName)
{
    std::string text;
    const auto value = lookUp(section, key, fileName, text);
    return profile::readInteger(value.value_or(std::string_view()), std::uint32_t(defaultValue));
}

std::uint32_t GetPrivateProfileStringA(const char *section, const char *key,
                                       const char *defaultValue, char *returned, std::uint32_t size,
                                       const char *fileName)
{
    if (!returned || size == 0)
        return 0;
    std::string text;
    std::string_view result;
    if (const auto value = lookUp(section, key, fileName, text)) {
        result = *value;
    } else if (defaultValue) {
        result = defaultValue;
        while (!result.empty() && result.back() == ' ')
            result.remove_suffix(1);
    }
    const std::size_t n = std::min<std::size_t>(result.size(), size - 1);
    if (n > 0) // an empty view may have no data at all
        std::memcpy(returned, result.data(), n);
    returned[n] = '\0';
    return std::uint32_t(n);
}

int WritePrivateProfileStringA(const char *section, const char *key, const char *value,
                               const char *fileName)
{
    t_errorText.clear();
    if (!section && !key && !value)
        return 1; // Windows flushes its cache here; nothing is cached
    if (!fileName || !*fileName)
        return failWith(fileName, "no file name");
    if (!section)
        return failWith(fileName, "no section name");

    std::string path = fileName;
    if (path.back() == '/')
        return failWith(fileName, EISDIR);
    if (const int error = followLinks(path))
        return failWith(fileName, error);

    std::string text;
    bool missing = false;
    if (const int error = readWhole(path, text, missing))
        return failWith(fileName, error);
    // A write killed half-way may have left its temporary file behind; it goes now, also
    // when this write turns out to change nothing.
    removeStaleTemporaries(folderOf(path), temporaryPrefix(path));
    // The value goes in exactly as given; only the names lose their spaces.
    const auto changed =
        profile::edited(text, profile::trimArgument(section), argument(key),
                        value ? std::optional<std::string_view>(value) : std::nullopt);
    if (!changed)
        return 1;
    if (const int error = replaceFile(path, *changed))
        return failWith(fileName, error);
    return 1;
}

const std::string &profileErrorText()
{
    return t_errorText;
}

} // namespace platform
