// SPDX-License-Identifier: MIT
// The profile functions on POSIX systems (profile.h): the reads, their cache, and the writes
// held until the flush, which profile_save.cpp puts on disk.
#include "platform/profile.h"

#include "platform/links_posix.h"
#include "platform/posixfile.h"
#include "platform/profile_errors.h"
#include "platform/profile_save.h"
#include "platform/profile_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using posix::FileDescriptor;
using posix::readBounded;

thread_local std::string t_errorText;

// Opens path for reading when it is (or links to) a regular file. O_NONBLOCK keeps the open
// of a FIFO from waiting for a writer; it changes nothing for a regular file. Links are
// followed as a write follows them, and a link put in place meanwhile is not followed.
int openRegular(const char *fileName, FileDescriptor &fd, struct stat &st)
{
    std::string path = fileName;
    if (const int error = followLinks(path))
        return error;
    fd.reset(posix::openAt(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW));
    if (fd.get() < 0)
        return errno;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (const int verdict = verdictAt(path, st))
        return verdict;
    return kindError(st);
}

int failWith(const char *fileName, const std::string &reason)
{
    t_errorText = std::string("cannot write ") + (fileName ? fileName : "(null)") + ": " + reason;
    return 0;
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
    struct stat st = {};
    if (::stat(path.c_str(), &st) == 0 ? !S_ISREG(st.st_mode) : errno != ENOENT)
        return;
    FileDescriptor dirFd(
        posix::openAt(AT_FDCWD, folderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY));
    if (dirFd.get() < 0)
        return;
    const std::string name = nameOfPath(path);
    save::removeStaleTemporaries(dirFd.get(), name);
    // A write in place killed half-way is put back before the first read, unless a writer
    // holds the file now (it puts it back itself).
    FileDescriptor fileFd(
        posix::openAt(dirFd.get(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW));
    if (fileFd.get() >= 0 && posix::lock(fileFd.get(), LOCK_EX | LOCK_NB) == 0)
        save::recoverBackups(dirFd.get(), name, fileFd.get());
}

// The file last read is kept with where the sections asked for start: the two dozen reads of a
// start-up then cost one open and read of the file each, and no scan. What is kept is believed
// only while the file's bytes are the same, compared at every read: file times have a grain of
// a second or two on some file systems, and two texts of one size written within it would look
// the same by any other test. A file of a megabyte or more (far more than settings) is not read
// again while its identity, size and times stay the same: reading it at every call would cost
// seconds, and a save never relies on this (it reads the file again under its lock).
constexpr off_t trustedByTimesFromSize = 1 << 20;

struct ReadCache
{
    std::string path;
    std::string bytes; // as on disk
    std::string text;  // as the reads see it (UTF-16 decoded)
    struct stat identity = {};
    // Folded name: where its first header starts, or npos for none. Only names asked for.
    std::unordered_map<std::string, std::size_t> sections;

    bool holds(const std::string &p, const std::string &onDisk) const
    {
        return p == path && bytes == onDisk;
    }

    std::size_t sectionStart(std::string_view name)
    {
        const auto [at, inserted] = sections.try_emplace(profile::foldedName(name), 0);
        if (inserted)
            at->second = profile::firstSection(text, name).value_or(std::string::npos);
        return at->second;
    }
};

// The held writes of every file, by the name the callers give it, as Windows keeps its cache:
// one per process, shared by the program and every library that uses these functions.
struct Held
{
    std::vector<profile::Edit> edits;
    std::uint64_t generation = 0; // changes with every held write
};

struct State
{
    std::mutex mutex;
    std::map<std::string, Held> held;
    std::uint64_t generation = 0;
    ReadCache kept;
    // The text of the last file read with held writes applied, for the next read of it.
    std::string viewPath;
    std::uint64_t viewGeneration = 0;
    ReadCache viewDisk; // the file the view was made from (its bytes); no path: missing
    std::string view;

    // The end of the process writes what is still held: a caller that never flushes (on
    // Windows the system writes its cache by itself) loses nothing. Nobody is left to take a
    // result, so a failure is said on standard error.
    ~State()
    {
        std::lock_guard lock(mutex);
        for (auto &[fileName, pending] : held) {
            const std::string error = save::flushFile(fileName, std::move(pending.edits));
            if (!error.empty())
                std::fprintf(stderr, "%s: settings not saved: %s\n",
                             program_invocation_short_name, error.c_str());
        }
        held.clear();
    }
};
State g_state;

// The file's text as the reads see it, held writes applied; null for a missing or unreadable
// file without held writes. Scratch holds the text when it is not kept. Called with the state
// locked.
const std::string *currentText(const char *fileName, std::string &scratch, ReadCache **cache)
{
    *cache = nullptr;
    const auto held = g_state.held.find(fileName);
    const bool hasHeld = held != g_state.held.end() && !held->second.edits.empty();
    FileDescriptor fd;
    struct stat st = {};
    int error = openRegular(fileName, fd, st);
    ReadCache &kept = g_state.kept;
    const struct stat &was = kept.identity;
    const bool large = error == 0 && kept.path == fileName && st.st_size >= trustedByTimesFromSize &&
                       st.st_dev == was.st_dev && st.st_ino == was.st_ino &&
                       st.st_size == was.st_size && st.st_mtim.tv_sec == was.st_mtim.tv_sec &&
                       st.st_mtim.tv_nsec == was.st_mtim.tv_nsec &&
                       st.st_ctim.tv_sec == was.st_ctim.tv_sec &&
                       st.st_ctim.tv_nsec == was.st_ctim.tv_nsec;
    if (large && !hasHeld) {
        *cache = &kept;
        return &kept.text;
    }
    if (large)
        scratch = kept.bytes; // the view below compares them
    if (error == 0 && !large)
        error = readBounded(fd.get(), st.st_size, scratch);
    const bool present = error == 0;
    if (!present)
        scratch.clear();
    // The file as it was when the view was made: a change by someone else shows.
    const bool sameDisk = present ? g_state.viewDisk.holds(fileName, scratch)
                                  : error == ENOENT && g_state.viewDisk.path.empty();
    if (hasHeld && g_state.viewPath == fileName
        && g_state.viewGeneration == held->second.generation && sameDisk)
        return &g_state.view;
    const std::string *disk = nullptr;
    if (present) {
        if (!kept.holds(fileName, scratch)) {
            kept = ReadCache{};
            kept.path = fileName;
            kept.identity = st;
            kept.bytes = scratch;
            kept.text = std::move(scratch);
            if (profile::isWide(kept.text))
                kept.text = profile::decodedFile(kept.text).text;
        }
        disk = &kept.text;
        if (!hasHeld)
            *cache = &kept;
    } else if (error == ENOENT) {
        disk = &scratch;
    }
    if (!hasHeld)
        return disk;
    if (!disk)
        disk = &scratch;
    auto applied = profile::editedAll(*disk, held->second.edits);
    g_state.view = applied ? std::move(*applied) : *disk;
    g_state.viewPath = fileName;
    g_state.viewGeneration = held->second.generation;
    g_state.viewDisk = ReadCache{};
    if (present) {
        g_state.viewDisk.path = fileName;
        g_state.viewDisk.bytes = g_state.kept.bytes;
    }
    return &g_state.view;
}

// The trimmed value of section/key, if the file has it. The callers have nowhere to catch an
// exception: memory running out reads as a missing key.
std::optional<std::string> lookUp(const char *section, const char *key, const char *fileName)
try {
    if (!section || !key || !fileName)
        return std::nullopt;
    tidyOnce(fileName);
    const std::string_view sectionName = profile::trimArgument(section);
    const std::string_view keyName = profile::trimArgument(key);
    std::lock_guard lock(g_state.mutex);
    std::string scratch;
    ReadCache *cache = nullptr;
    const std::string *text = currentText(fileName, scratch, &cache);
    if (!text)
        return std::nullopt;
    std::size_t from = 0;
    if (cache) {
        from = cache->sectionStart(sectionName);
        if (from == std::string::npos)
            return std::nullopt;
    }
    const profile::Location at = profile::locate(*text, sectionName, keyName, from);
    if (!at.keyFound)
        return std::nullopt;
    return std::string(profile::unquote(
        std::string_view(*text).substr(at.valueBegin, at.valueEnd - at.valueBegin)));
} catch (const std::bad_alloc &) {
    return std::nullopt;
}

// Whether a write to path could reach the disk at the flush: the checks that Windows makes
// when it opens the file for its cache, so that a write to a folder that does not exist or to
// a read-only file fails at once, as there.
int checkWritable(const std::string &path)
{
    struct stat st = {};
    if (::stat(path.c_str(), &st) == 0) {
        if (const int error = kindError(st))
            return error;
        return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
    }
    if (errno != ENOENT)
        return errno;
    const std::string folder = folderOfPath(path);
    if (::stat(folder.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

} // namespace

std::uint32_t GetPrivateProfileIntA(const char *section, const char *key, int defaultValue,
                                    const char *fileName)
{
    const auto value = lookUp(section, key, fileName);
    return profile::readInteger(value ? std::string_view(*value) : std::string_view(),
                                std::uint32_t(defaultValue));
}

std::uint32_t GetPrivateProfileStringA(const char *section, const char *key,
                                       const char *defaultValue, char *returned, std::uint32_t size,
                                       const char *fileName)
{
    if (!returned || size == 0)
        return 0;
    const auto value = lookUp(section, key, fileName);
    std::string_view result;
    if (value) {
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
    if (!section && !key && !value) {
        // The flush: the held writes of that file, or of every file for a null name.
        std::vector<std::pair<std::string, std::vector<profile::Edit>>> work;
        {
            std::lock_guard lock(g_state.mutex);
            for (auto it = g_state.held.begin(); it != g_state.held.end();) {
                if (!fileName || it->first == fileName) {
                    work.emplace_back(it->first, std::move(it->second.edits));
                    it = g_state.held.erase(it);
                } else {
                    ++it;
                }
            }
            g_state.viewPath.clear();
        }
        // What failed is dropped all the same: it was said, and a retry at the end of the
        // process would only say it again.
        for (auto &[name, edits] : work) {
            const std::string error = save::flushFile(name, std::move(edits));
            if (!error.empty() && t_errorText.empty())
                t_errorText = error;
        }
        return t_errorText.empty() ? 1 : 0;
    }
    if (!fileName || !*fileName)
        return failWith(fileName, "no file name");
    if (!section)
        return failWith(fileName, "no section name");

    std::string path = fileName;
    if (path.back() == '/')
        return failWith(fileName, reasonText(EISDIR));
    if (const int error = followLinks(path))
        return failWith(fileName, reasonText(error));
    if (const int error = checkWritable(path))
        return failWith(fileName, reasonText(error));
    tidyOnce(fileName);

    // The value goes in exactly as given; only the names lose their spaces.
    profile::Edit edit;
    edit.section = std::string(profile::trimArgument(section));
    if (key)
        edit.key = std::string(profile::trimArgument(key));
    if (value)
        edit.value = std::string(value);
    std::lock_guard lock(g_state.mutex);
    Held &held = g_state.held[fileName];
    held.edits.push_back(std::move(edit));
    held.generation = ++g_state.generation;
    return 1;
}

const std::string &profileErrorText()
{
    return t_errorText;
}

} // namespace platform
