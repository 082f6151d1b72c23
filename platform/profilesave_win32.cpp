// SPDX-License-Identifier: MIT
// The exit's save on Windows (profilesave_win32.h): the lock, the private copy, whether the
// copy can become the file, the copy read back, and the save itself; and where the copy
// cannot become the file, the write in place with its backup, and the backup's mending.
//
// Every name beside the file is its stem and two characters ("HUELOFT.~lk", "HUELOFT.~sv",
// "HUELOFT.~3f"): no longer than "HUELOFT.INI", so that a path short enough for the profile
// functions stays so. Each is made new by this process (an entry already there is neither
// opened, followed nor removed: it is someone else's) and removed only through the handle
// that made or checked it.

#include "platform/profilesave_win32.h"

#include "platform/fileplace_win32.h"
#include "platform/profile.h"
#include "platform/systemmessage_win32.h"
#include "platform/tornwrite.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

namespace {

// "<what> <path>: <the system's reason for code>".
std::string failure(const char *what, const std::string &path, DWORD code)
{
    return std::string(what) + " " + path + ": " + systemMessage(code);
}

// Where every name beside the file starts: the path without its extension, then ".~".
std::string stemOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('\\');
    const std::size_t dot = path.find_last_of('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return path.substr(0, extension ? dot : path.size()) + ".~";
}

// A new entry at Name, made by this process and by nobody else (an entry already there is
// neither opened nor followed), with Access and the given access list (null: what a new file
// in that folder gets).
HANDLE createSideFile(const std::string &name, DWORD access, DWORD flags,
                      SECURITY_ATTRIBUTES *security = nullptr)
{
    return CreateFileW(wide(name).c_str(), access, 0, security, CREATE_NEW,
                       FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr);
}

// An access list by which only this user may open a file (LocalFree it); null on failure.
PSECURITY_DESCRIPTOR ownersOnly()
{
    PSECURITY_DESCRIPTOR result = nullptr;
    if (const std::wstring user = userSid(); !user.empty())
        ConvertStringSecurityDescriptorToSecurityDescriptorW(
            (L"D:P(A;;FRFWSD;;;" + user + L")").c_str(), SDDL_REVISION_1, &result, nullptr);
    return result;
}

// Whole files (a settings file is at most 64 MiB: the editor refuses larger ones first), each
// call repeated until every byte has gone.
template<typename Bytes, typename Call> bool whole(HANDLE file, Bytes *data, std::size_t size,
                                                   Call call)
{
    for (std::size_t done = 0; done < size;) {
        DWORD moved = 0;
        if (!call(file, data + done, DWORD(size - done), &moved, nullptr) || !moved)
            return false;
        done += moved;
    }
    return true;
}

bool readAll(HANDLE file, std::string &text)
{
    LARGE_INTEGER size{}, start{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7fffffff ||
        !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    text.assign(std::size_t(size.QuadPart), '\0');
    return whole(file, text.data(), text.size(), ReadFile);
}

bool writeAll(HANDLE file, std::string_view text)
{
    return whole(file, text.data(), text.size(), WriteFile);
}

// Text becomes the whole content of File, from its start, and reaches the disk; every write
// checked.
bool overwrite(HANDLE file, std::string_view text)
{
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && writeAll(file, text) &&
           SetEndOfFile(file) && FlushFileBuffers(file);
}

// ---------------------------------------------------------------------------------------------
// The backup of a write in place: one header line naming the file (volume, index) and giving
// the sizes of the old text and the new and a time that is filled in once both texts are on
// the disk (a backup without it was cut short before the write began), then the old text and
// the new.
//
// It lies beside the file, where anyone who may create files in that folder can put one. The
// old text goes back only when all of these hold, so that neither a planted backup nor a stale
// one of this user's is ever written over a file saved since:
// - the rule lets the program use it (fileplace_win32.h: in a folder others can write, this
//   user's, one name, no link), and it has one name;
// - its header names this file, and it holds exactly the two texts its header announces;
// - its time is filled in;
// - every byte of the file is, at its place, a byte of the old text or of the new one, and the
//   file is neither of them whole: all that a write of the new text over the old can leave.
// No file time is compared (FAT keeps them to two seconds, and removable drives, where portable
// copies live, are FAT): the lock decides. Every save takes the lock and mends first, so no
// save of this program completes over a torn file while its backup waits; the rule keeps other
// users from using a file of this user's in a folder they can write.
// Any other backup is removed and the file kept as it is; so is one of the first format (the
// new text's checksum instead of the texts, no time), which is never believed. One the rule
// refuses is neither read nor removed: it is not this program's.

struct BackupHeader
{
    std::uint64_t volume = 0, indexHigh = 0, indexLow = 0;
    std::uint64_t oldSize = 0, newSize = 0, started = 0;
};

constexpr char kBackupTag[] = "hueloft backup 2";

// The header's time has 16 digits always: it is filled in once both texts are on the disk.
constexpr std::size_t kStartedDigits = 16;

// Both texts and the header, no more.
constexpr std::uint64_t kBackupSizeLimit = 2 * kProfileFileSizeLimit + 200;

std::uint64_t fileTime(const FILETIME &time)
{
    return std::uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

std::string startedDigits(std::uint64_t time)
{
    char digits[kStartedDigits];
    char *end = std::to_chars(digits, digits + sizeof digits, time, 16).ptr;
    return std::string(kStartedDigits - std::size_t(end - digits), '0') + std::string(digits, end);
}

// Numbers in hexadecimal, each after one blank: std::to_chars and std::from_chars, where the
// printf family would bring MinGW's own (tens of kilobytes) into the program.
std::string headerLine(const BackupHeader &h)
{
    std::string line = kBackupTag;
    for (std::uint64_t value : {h.volume, h.indexHigh, h.indexLow, h.oldSize, h.newSize}) {
        char digits[16];
        line += ' ';
        line.append(digits, std::to_chars(digits, digits + sizeof digits, value, 16).ptr);
    }
    return line + ' ' + startedDigits(h.started) + "\r\n";
}

// The length of the header line at the start of Text, 0 when there is none.
std::size_t readHeader(const std::string &text, BackupHeader &h)
{
    if (text.compare(0, sizeof kBackupTag - 1, kBackupTag) != 0)
        return 0;
    const char *at = text.data() + sizeof kBackupTag - 1;
    const char *end = text.data() + text.size();
    for (std::uint64_t *value :
         {&h.volume, &h.indexHigh, &h.indexLow, &h.oldSize, &h.newSize, &h.started}) {
        if (at == end || *at != ' ')
            return 0;
        const std::from_chars_result read = std::from_chars(at + 1, end, *value, 16);
        if (read.ec != std::errc())
            return 0;
        at = read.ptr;
    }
    if (end - at < 2 || at[0] != '\r' || at[1] != '\n')
        return 0;
    return std::size_t(at + 2 - text.data());
}

bool sameFile(const BackupHeader &h, const BY_HANDLE_FILE_INFORMATION &info)
{
    return h.volume == info.dwVolumeSerialNumber && h.indexHigh == info.nFileIndexHigh &&
           h.indexLow == info.nFileIndexLow;
}

// The settings file, to be written over: through the rule, as at the start of the save, so
// that nothing put at its name since (a link, another user's file) is written.
Entry openFile(const std::string &path)
{
    return openEntry(wide(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, false);
}

// Under the lock. A backup that passes every check puts the old text back; it goes once it is
// of no more use, that is unless putting the old text back failed. The backup is read and
// removed only through the handle the rule gave.
void mendUnderLock(const std::string &path)
{
    Entry backup =
        openEntry(wide(stemOf(path) + "sv"), GENERIC_READ | DELETE, FILE_SHARE_READ, false);
    if (backup.handle == INVALID_HANDLE_VALUE)
        return; // none, or one the rule refuses: neither read nor removed
    LARGE_INTEGER size{};
    std::string saved;
    const bool believed = backup.info.nNumberOfLinks == 1 &&
                          !(backup.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                          GetFileSizeEx(backup.handle, &size) &&
                          std::uint64_t(size.QuadPart) <= kBackupSizeLimit &&
                          readAll(backup.handle, saved);
    BackupHeader h;
    const std::size_t headerEnd = believed ? readHeader(saved, h) : 0;
    const std::size_t texts = saved.size() - headerEnd;
    bool done = !(backup.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (headerEnd && h.oldSize <= texts && h.newSize == texts - h.oldSize) {
        const std::string_view oldText = std::string_view(saved).substr(headerEnd, h.oldSize);
        const std::string_view newText = std::string_view(saved).substr(headerEnd + h.oldSize);
        const Entry file = openFile(path);
        std::string now;
        if (file.handle != INVALID_HANDLE_VALUE && sameFile(h, file.info) &&
            !file.info.nFileSizeHigh && file.info.nFileSizeLow <= std::max(h.oldSize, h.newSize) &&
            readAll(file.handle, now) && h.started && now != oldText && now != newText &&
            tornBetween(now, oldText, newText))
            done = overwrite(file.handle, oldText);
        if (file.handle != INVALID_HANDLE_VALUE)
            CloseHandle(file.handle);
    }
    if (done)
        removeOpened(backup.handle);
    CloseHandle(backup.handle);
}

// Under the lock: Text over the file at Path, its old text and the new first kept in the
// backup (none where the folder cannot take one: NoBackup). The reason of a failure, naming
// the file; empty on success.
std::string writeInPlace(const std::string &path, const std::string &text, bool noBackup)
{
    const Entry opened = openFile(path);
    if (!opened.refusal.empty())
        return "cannot write " + path + ": " + opened.refusal;
    if (opened.handle == INVALID_HANDLE_VALUE)
        return failure("cannot write", path, opened.error);
    HANDLE file = opened.handle;
    const BY_HANDLE_FILE_INFORMATION &info = opened.info;
    std::string old;
    if (!readAll(file, old)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return failure("cannot read", path, error);
    }
    const std::string header = headerLine({info.dwVolumeSerialNumber, info.nFileIndexHigh,
                                           info.nFileIndexLow, old.size(), text.size(), 0});
    // The backup holds the old text: only this user may open it.
    PSECURITY_DESCRIPTOR descriptor = ownersOnly();
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    HANDLE backup = noBackup ? INVALID_HANDLE_VALUE
                             : createSideFile(stemOf(path) + "sv", GENERIC_WRITE | DELETE, 0,
                                              descriptor ? &security : nullptr);
    LocalFree(descriptor);
    bool saved =
        noBackup || (backup != INVALID_HANDLE_VALUE && writeAll(backup, header) &&
                     writeAll(backup, old) && writeAll(backup, text) && FlushFileBuffers(backup));
    if (saved && !noBackup) {
        // The time goes in last, once the texts are on the disk: a backup without it was cut
        // short before the write began.
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        LARGE_INTEGER at{};
        at.QuadPart = LONGLONG(header.size() - 2 - kStartedDigits);
        saved = SetFilePointerEx(backup, at, nullptr, FILE_BEGIN) &&
                writeAll(backup, startedDigits(fileTime(now))) && FlushFileBuffers(backup);
    }
    DWORD error = GetLastError();
    if (!saved) {
        if (backup != INVALID_HANDLE_VALUE) {
            removeOpened(backup);
            CloseHandle(backup);
        }
        CloseHandle(file);
        return failure("cannot keep the old text of", path, error);
    }
    std::string check;
    const bool written = overwrite(file, text) && readAll(file, check) && check == text;
    error = written ? 0 : GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    // A write that fails half-way (a full disk with the file half grown) puts the old text
    // back at once; should that fail too, the backup stays for the next use of the file.
    const bool restored = written || overwrite(file, old);
    CloseHandle(file);
    if (backup != INVALID_HANDLE_VALUE) {
        if (restored)
            removeOpened(backup);
        CloseHandle(backup);
    }
    return written ? std::string() : failure("cannot write", path, error);
}

// The attributes a file keeps through a replacement; read-only files are never replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Far more than the exit adds to a file (its 25 keys), had on the drive before it writes.
constexpr std::size_t kRoom = 65536;

// ---------------------------------------------------------------------------------------------
// The lock (profilesave_win32.h), waited for while its name is taken (another save's lock, or
// an entry of someone else's). Null when it was not had within the limit, or cannot be had at
// all (a folder this user cannot write: the save then fails at its copy, with the reason).
HANDLE takeLock(const std::string &path)
{
    HANDLE lock = openWaiting(wide(stemOf(path) + "lk"), GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    return lock == INVALID_HANDLE_VALUE ? nullptr : lock;
}

void releaseLock(void *&lock)
{
    if (lock)
        CloseHandle(lock); // the system removes the file
    lock = nullptr;
}

// Under the lock: the copies that killed saves left, where the rule lets the program use what
// it finds (this user's regular files of one name); any other entry of such a name is left.
void removeLeftCopies(const std::string &stem)
{
    const std::size_t slash = stem.find_last_of('\\') + 1;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide(stem + "??").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::string name = ansiOf(found.cFileName);
        if (name.size() != stem.size() - slash + 2 ||
            name.find_first_not_of("0123456789abcdef", name.size() - 2) != name.npos)
            continue;
        Entry left = openEntry(wide(stem.substr(0, slash) + name), DELETE, 0, false);
        if (left.handle == INVALID_HANDLE_VALUE)
            continue;
        if (!(left.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            left.info.nNumberOfLinks == 1)
            removeOpened(left.handle);
        CloseHandle(left.handle);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

// The owner and access list of an open file, as bytes; empty when the system does not say.
std::string securityOf(HANDLE file)
{
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &list, nullptr, &descriptor) != ERROR_SUCCESS)
        return {};
    std::string bytes(reinterpret_cast<const char *>(owner), GetLengthSid(owner));
    if (list)
        bytes.append(reinterpret_cast<const char *>(list), list->AclSize);
    LocalFree(descriptor);
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// The copy read back

// The section names and key names of Text, in order, trimmed as the profile functions trim them.
std::vector<std::string> names(std::string_view text)
{
    std::vector<std::string> result;
    constexpr std::string_view kBlanks = " \t\v\r";
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        line.remove_prefix(std::min(line.find_first_not_of(kBlanks), line.size()));
        const bool section = !line.empty() && line.front() == '[';
        if (section)
            line = line.substr(1, line.find(']') - 1);
        else if (line.empty() || line.front() == ';' || line.find('=') == line.npos)
            continue;
        else
            line = line.substr(0, line.find('='));
        line.remove_prefix(std::min(line.find_first_not_of(kBlanks), line.size()));
        line.remove_suffix(line.size() - std::min(line.find_last_not_of(kBlanks) + 1, line.size()));
        result.push_back((section ? "[" : "") + std::string(line));
    }
    return result;
}

// Whether the copy read back keeps every section and key of the old text, in order, spelt as
// they were. The exit only changes values and adds keys; a write cut short by a full drive
// loses the end of the file (the profile functions report success, and read the torn file back
// themselves). A UTF-16 file's names are compared as their bytes.
bool keepsEveryName(const std::string &oldText, const std::string &text)
{
    const std::vector<std::string> wanted = names(oldText), found = names(text);
    std::size_t at = 0;
    for (const std::string &name : wanted) {
        while (at < found.size() && found[at] != name)
            ++at;
        if (at++ >= found.size())
            return false;
    }
    return true;
}

// The NT form of a full path, which a rename by handle takes.
std::wstring ntPath(const std::string &path)
{
    const std::wstring name = wide(path);
    return name.rfind(L"\\\\", 0) == 0 ? L"\\??\\UNC" + name.substr(1) : L"\\??\\" + name;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The save

ProfileSave::~ProfileSave()
{
    finish(false);
}

std::string ProfileSave::begin(const std::string &path)
{
    finish(false);
    // This user's link at the name is saved through: the file it names is the one replaced.
    Entry named = openEntry(wide(path), 0, kShareAll, true);
    if (!named.refusal.empty())
        return "cannot write " + path + ": " + named.refusal;
    m_path = path;
    if (named.handle != INVALID_HANDLE_VALUE) {
        CloseHandle(named.handle);
        m_path = ansiOf(named.reached);
        if (m_path.empty())
            return "cannot write " + path +
                   ": the file its link names has no name in the ANSI "
                   "code page";
    } else if (named.error != ERROR_FILE_NOT_FOUND) {
        return failure("cannot read", path, named.error);
    }
    m_lock = takeLock(m_path);
    mendUnderLock(m_path);
    removeLeftCopies(stemOf(m_path));

    // Under the lock, the file as it is now.
    Entry old = openEntry(wide(m_path), GENERIC_READ, kShareAll, false);
    std::string text, problem;
    if (!old.refusal.empty())
        problem = "cannot write " + m_path + ": " + old.refusal;
    else if (old.handle == INVALID_HANDLE_VALUE && old.error != ERROR_FILE_NOT_FOUND)
        problem = failure("cannot read", m_path, old.error);
    else if (old.info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        problem = "cannot write " + m_path + ": the file is read-only";
    else if (old.handle != INVALID_HANDLE_VALUE && !readAll(old.handle, text))
        problem = failure("cannot read", m_path, GetLastError());
    if (!problem.empty()) {
        if (old.handle != INVALID_HANDLE_VALUE)
            CloseHandle(old.handle);
        releaseLock(m_lock);
        return problem;
    }

    // The copy is first what a new file gets here. Where that is not the file's own owner and
    // access list, or the file has a second name, the copy cannot become the file: it is made
    // again for this user alone, and its text goes over the file in place. A folder that
    // cannot take a copy beside a file this user may write gets it in the temporary folder.
    const std::string stem = stemOf(m_path);
    m_attributes = old.info.dwFileAttributes & kKeptAttributes;
    m_inPlace = m_noBackup = false;
    PSECURITY_DESCRIPTOR narrow = nullptr;
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    HANDLE copy = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 256 && copy == INVALID_HANDLE_VALUE; ++attempt) {
        const unsigned number = (GetCurrentProcessId() + attempt) & 0xffu;
        m_copy = (m_noBackup ? m_temporary : stem) + "0123456789abcdef"[number >> 4] +
                 "0123456789abcdef"[number & 15];
        copy = createSideFile(m_copy, GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                              narrow ? &security : nullptr);
        const DWORD error = GetLastError();
        if (copy != INVALID_HANDLE_VALUE && old.handle != INVALID_HANDLE_VALUE && !narrow &&
            (old.info.nNumberOfLinks != 1 || securityOf(copy) != securityOf(old.handle))) {
            removeOpened(copy);
            CloseHandle(copy);
            copy = INVALID_HANDLE_VALUE;
            security.lpSecurityDescriptor = narrow = ownersOnly();
            m_inPlace = true;
            attempt = 0;
        } else if (copy == INVALID_HANDLE_VALUE && !m_noBackup &&
                   old.handle != INVALID_HANDLE_VALUE &&
                   (error == ERROR_ACCESS_DENIED ||
                    // Every name beside the file taken (in a folder others can write, anyone
                    // can take them all): the temporary folder, as for a folder without room.
                    (attempt == 255 &&
                     (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)))) {
            wchar_t folder[MAX_PATH + 1];
            const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
            m_temporary = ansiOf(std::wstring(folder, std::min<DWORD>(length, MAX_PATH)));
            if (m_temporary.empty() || length > MAX_PATH) {
                problem = failure("cannot make a copy of", m_path, error);
                break;
            }
            m_temporary += "HUELOFT.~";
            security.lpSecurityDescriptor = narrow = narrow ? narrow : ownersOnly();
            m_inPlace = m_noBackup = true;
            attempt = 0;
        } else if (copy == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS &&
                   error != ERROR_ALREADY_EXISTS) {
            problem = failure("cannot make a copy of", m_path, error);
            break;
        }
    }
    if (copy == INVALID_HANDLE_VALUE && problem.empty())
        problem = "cannot make a copy of " + m_path + ": every name is taken";
    // The copy starts as the old text, every write checked, after the room for the exit's
    // writes has been had once: the profile functions do not say when a full drive cuts one.
    LARGE_INTEGER end{};
    end.QuadPart = LONGLONG(text.size());
    if (copy != INVALID_HANDLE_VALUE &&
        (!overwrite(copy, text + std::string(kRoom, '\0')) ||
         !SetFilePointerEx(copy, end, nullptr, FILE_BEGIN) || !SetEndOfFile(copy) ||
         !GetFileInformationByHandle(copy, &m_copyFile))) {
        problem = failure("cannot make a copy of", m_path, GetLastError());
        removeOpened(copy);
    }
    LocalFree(narrow);
    if (old.handle != INVALID_HANDLE_VALUE)
        CloseHandle(old.handle);
    if (copy != INVALID_HANDLE_VALUE)
        CloseHandle(copy);
    if (!problem.empty()) {
        m_copy.clear();
        releaseLock(m_lock);
    }
    m_oldText = std::move(text);
    return problem;
}

std::string ProfileSave::finish(bool keep)
{
    if (m_copy.empty()) {
        releaseLock(m_lock);
        return {};
    }
    // The copy as this process made it, or nothing is done with that name.
    Entry copy =
        openEntry(wide(m_copy), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, false);
    std::string problem, text;
    ULARGE_INTEGER free{};
    bool gone = false;
    if (copy.handle == INVALID_HANDLE_VALUE || !sameFile(m_copyFile, copy.handle)) {
        problem = "cannot write " + m_path + ": its copy " + m_copy + " is no longer the one made";
        if (copy.handle != INVALID_HANDLE_VALUE)
            CloseHandle(copy.handle);
        copy.handle = INVALID_HANDLE_VALUE;
    } else if (keep) {
        // Read back: what the profile functions hold must be on the disk.
        if (!FlushFileBuffers(copy.handle) || !readAll(copy.handle, text)) {
            problem = failure("cannot write", m_copy, GetLastError());
        } else if (!keepsEveryName(m_oldText, text)) {
            problem = "cannot write " + m_path + ": its copy read back lacks lines of the file";
        } else if (GetDiskFreeSpaceExA(m_copy.substr(0, m_copy.find_last_of('\\') + 1).c_str(),
                                       &free, nullptr, nullptr) &&
                   free.QuadPart < 4096) {
            problem = failure("cannot write", m_path, ERROR_DISK_FULL);
        } else if (m_inPlace) {
            problem = writeInPlace(m_path, text, m_noBackup);
        } else {
            FILE_BASIC_INFO basic{};
            basic.FileAttributes = m_attributes ? m_attributes : FILE_ATTRIBUTE_NORMAL;
            SetFileInformationByHandle(copy.handle, FileBasicInfo, &basic, sizeof basic);
            const std::wstring target = ntPath(m_path);
            std::vector<char> rename(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
            auto *info = reinterpret_cast<FILE_RENAME_INFO *>(rename.data());
            info->ReplaceIfExists = TRUE;
            info->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
            target.copy(info->FileName, target.size());
            gone =
                SetFileInformationByHandle(copy.handle, FileRenameInfo, info, DWORD(rename.size()));
            // A name that cannot be replaced (held open without sharing its removal) may still
            // be written.
            const DWORD error = GetLastError();
            if (!gone && (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION))
                problem = writeInPlace(m_path, text, false);
            else if (!gone)
                problem = failure("cannot replace", m_path, error);
        }
    }
    if (copy.handle != INVALID_HANDLE_VALUE) {
        if (!gone)
            removeOpened(copy.handle);
        CloseHandle(copy.handle);
    }
    m_copy.clear();
    m_oldText.clear();
    releaseLock(m_lock);
    return problem;
}

void mendInterruptedSave(const std::string &path)
{
    Entry named = openEntry(wide(path), 0, kShareAll, true);
    if (named.handle == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(named.handle);
    const std::string file = ansiOf(named.reached);
    if (file.empty() ||
        GetFileAttributesW(wide(stemOf(file) + "sv").c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    void *lock = takeLock(file);
    mendUnderLock(file);
    releaseLock(lock);
}

} // namespace platform
