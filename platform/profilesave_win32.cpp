// SPDX-License-Identifier: MIT
// The exit's save on Windows (profilesave_win32.h). In this file: the names beside the file,
// the lock, whole-file reading and writing, the backup of a write in place and its mending,
// whether a new file can be the old one, and the save itself.
//
// Every name beside the file is its stem and two characters ("HUELOFT.~lk", "HUELOFT.~sv",
// "HUELOFT.~3f"): no longer than "HUELOFT.INI", so that a path short enough for the profile
// functions stays so.

#include "platform/profilesave_win32.h"

#include "platform/profile.h"
#include "platform/systemmessage_win32.h"
#include "platform/tornwrite.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace platform {

namespace {

// As on Linux: far longer than any real save of another process, short enough that a hung one
// never keeps this one from ending. Tried every 5 ms, the clock read each time.
constexpr ULONGLONG kLockWaitMs = 10000;
constexpr DWORD kLockRetryMs = 5;

// The attributes a file keeps through a replacement; read-only files are never replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring wide(const std::string &ansi)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), nullptr, 0);
    std::wstring text(size > 0 ? std::size_t(size) : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), text.data(), size);
    return text;
}

std::string failure(const char *what, const std::string &path, DWORD code)
{
    return std::string(what) + " " + path + ": " + systemMessage(code);
}

std::string stemOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('\\');
    const std::size_t dot = path.find_last_of('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return path.substr(0, extension ? dot : path.size()) + ".~";
}

std::wstring lockName(const std::string &path)
{
    return wide(stemOf(path) + "lk");
}

std::wstring backupName(const std::string &path)
{
    return wide(stemOf(path) + "sv");
}

bool isHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
}

// ---------------------------------------------------------------------------------------------
// The lock

// Null when it was not had within the limit, or cannot be had at all (a folder this user
// cannot write: the save then fails at its copy, with the system's reason).
HANDLE takeLock(const std::wstring &name)
{
    const ULONGLONG deadline = GetTickCount64() + kLockWaitMs;
    for (;;) {
        HANDLE lock = CreateFileW(
            name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (lock != INVALID_HANDLE_VALUE)
            return lock;
        // Held by another save (a sharing violation), or going as its holder lets it go
        // (access denied while the name is still there). Nothing else passes by waiting.
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION ||
                          (error == ERROR_ACCESS_DENIED &&
                           GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!held || GetTickCount64() >= deadline)
            return nullptr;
        Sleep(kLockRetryMs);
    }
}

void releaseLock(void *&lock)
{
    if (lock)
        CloseHandle(lock); // the system deletes the file
    lock = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Whole files (a settings file is at most 64 MiB: the editor refuses larger ones first)

bool readAll(HANDLE file, std::string &text)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7fffffff)
        return false;
    text.assign(std::size_t(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD got = 0;
        if (!ReadFile(file, text.data() + done, DWORD(text.size() - done), &got, nullptr) || !got)
            return false;
        done += got;
    }
    return true;
}

bool writeAll(HANDLE file, std::string_view text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD put = 0;
        if (!WriteFile(file, text.data() + done, DWORD(text.size() - done), &put, nullptr) || !put)
            return false;
        done += put;
    }
    return true;
}

// Text becomes the whole content of File, from its start, and reaches the disk.
bool overwrite(HANDLE file, std::string_view text)
{
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && writeAll(file, text) &&
           SetEndOfFile(file) && FlushFileBuffers(file);
}

// ---------------------------------------------------------------------------------------------
// The backup of a write in place: one header line naming the file (volume, index) and giving
// the sizes of the old text and the new and the time just before the write began, then the
// old text and the new.
//
// It lies beside the file, where anyone who may create files in that folder can put one. The
// old text goes back only when all of these hold, so that neither a planted backup nor a stale
// one of this user's is ever written over a file saved since:
// - the backup belongs to this user (or to the owner this process gives the files it makes:
//   an elevated administrator's are the Administrators group's) and has one name;
// - its header names this file, and it holds exactly the two texts its header announces;
// - every byte of the file is, at its place, a byte of the old text or of the new one, and the
//   file is neither of them whole: all that a write of the new text over the old can leave;
// - the file was last written from 50 ms before the header's time to 1 s after it: a killed
//   write leaves the time of its own last write, a later save by anyone a later time, and
//   nobody who cannot write the file can set its time.
// Any other backup is removed and the file kept as it is; so is one of the first format (the
// new text's checksum instead of the texts, no time), which is never believed.

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

// In 100-ns units, as file times are.
constexpr std::uint64_t kWrittenBefore = 50 * 10000, kWrittenAfter = 1000 * 10000;

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

bool writtenNear(std::uint64_t written, std::uint64_t started)
{
    return started && (written >= started ? written - started <= kWrittenAfter
                                          : started - written <= kWrittenBefore);
}

// Whether File belongs to this user; AsCreator: or to the owner this process gives the files
// it makes.
bool ownedByThisUser(HANDLE file, bool asCreator)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool mine = false;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        alignas(TOKEN_USER) unsigned char buffer[256];
        DWORD size = 0;
        if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size))
            mine = EqualSid(owner, reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid);
        if (!mine && asCreator &&
            GetTokenInformation(token, TokenOwner, buffer, sizeof buffer, &size))
            mine = EqualSid(owner, reinterpret_cast<TOKEN_OWNER *>(buffer)->Owner);
        CloseHandle(token);
    }
    LocalFree(descriptor);
    return mine;
}

// Under the lock. A backup that passes every check above puts the old text back; it goes once
// it is of no more use, that is unless putting the old text back failed.
void mendUnderLock(const std::string &path)
{
    const std::wstring backupFile = backupName(path);
    HANDLE backup = CreateFileW(backupFile.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (backup == INVALID_HANDLE_VALUE)
        return;
    BY_HANDLE_FILE_INFORMATION about{};
    LARGE_INTEGER size{};
    std::string saved;
    const bool believed = GetFileInformationByHandle(backup, &about) && about.nNumberOfLinks == 1 &&
                          ownedByThisUser(backup, true) && GetFileSizeEx(backup, &size) &&
                          std::uint64_t(size.QuadPart) <= kBackupSizeLimit &&
                          readAll(backup, saved);
    CloseHandle(backup);
    BackupHeader h;
    const std::size_t headerEnd = believed ? readHeader(saved, h) : 0;
    const std::size_t texts = saved.size() - headerEnd;
    bool done = true;
    if (headerEnd && h.oldSize <= texts && h.newSize == texts - h.oldSize) {
        const std::string_view oldText = std::string_view(saved).substr(headerEnd, h.oldSize);
        const std::string_view newText = std::string_view(saved).substr(headerEnd + h.oldSize);
        HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        std::string now;
        if (file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info) &&
            sameFile(h, info) && !info.nFileSizeHigh &&
            info.nFileSizeLow <= std::max(h.oldSize, h.newSize) && readAll(file, now) &&
            now != oldText && now != newText && tornBetween(now, oldText, newText) &&
            writtenNear(fileTime(info.ftLastWriteTime), h.started))
            done = overwrite(file, oldText);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    if (done)
        DeleteFileW(backupFile.c_str());
}

// Under the lock: the private copies of saves that were killed.
void removeLeftCopies(const std::string &path)
{
    const std::string stem = stemOf(path);
    const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide(stem + "??").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    const std::size_t length = wide(stem.substr(folder.size())).size() + 2;
    do {
        const std::wstring name = found.cFileName;
        if (name.size() == length && isHexDigit(name[length - 2]) && isHexDigit(name[length - 1]))
            DeleteFileW((wide(folder) + name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// ---------------------------------------------------------------------------------------------
// Whether a new file can be the old one to everyone

// The access list of a file (Name, or the open File), as bytes with its protection from
// inheritance; empty when the system does not say.
std::string accessList(HANDLE file, const std::wstring &name)
{
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring asked = name;
    const DWORD result =
        file ? GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                               &list, nullptr, &descriptor)
             : GetNamedSecurityInfoW(asked.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, &list, nullptr, &descriptor);
    if (result != ERROR_SUCCESS)
        return {};
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    std::string bytes(1, control & SE_DACL_PROTECTED ? 'P' : 'U');
    if (list)
        bytes.append(reinterpret_cast<const char *>(list), list->AclSize);
    LocalFree(descriptor);
    return bytes;
}

// Whether the file named To has, or can be given, the access list of File; checked, not
// assumed: Wine keeps access lists as the Unix mode, and a list given is read back as another
// (0640 comes back 0775).
bool takesAccessList(HANDLE file, const std::wstring &to)
{
    const std::string wanted = accessList(file, {});
    if (wanted.empty())
        return false;
    if (accessList(nullptr, to) == wanted)
        return true;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const SECURITY_INFORMATION which =
        DACL_SECURITY_INFORMATION | (wanted[0] == 'P' ? PROTECTED_DACL_SECURITY_INFORMATION
                                                      : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::wstring name = to;
    const DWORD result =
        SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, which, nullptr, nullptr, list, nullptr);
    LocalFree(descriptor);
    return result == ERROR_SUCCESS && accessList(nullptr, to) == wanted;
}

// The new text (the copy's) over the file at Path, as described in the header.
std::string writeInPlace(const std::string &path, const std::string &copy)
{
    HANDLE source = CreateFileW(wide(copy).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    std::string text;
    const bool readCopy = source != INVALID_HANDLE_VALUE && readAll(source, text);
    const DWORD copyError = GetLastError();
    if (source != INVALID_HANDLE_VALUE)
        CloseHandle(source);
    if (!readCopy)
        return failure("cannot read", copy, copyError);

    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return failure("cannot write", path, GetLastError());
    std::string old;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) || !readAll(file, old)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return failure("cannot read", path, error);
    }
    const std::string header = headerLine({info.dwVolumeSerialNumber, info.nFileIndexHigh,
                                           info.nFileIndexLow, old.size(), text.size(), 0});
    const std::wstring backupFile = backupName(path);
    HANDLE backup = CreateFileW(backupFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    bool saved = backup != INVALID_HANDLE_VALUE && writeAll(backup, header) &&
                 writeAll(backup, old) && writeAll(backup, text) && FlushFileBuffers(backup);
    if (saved) {
        // The time goes in last, once the texts are on the disk: the file's own time, left by
        // this write, is to be near it.
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        LARGE_INTEGER at{};
        at.QuadPart = LONGLONG(header.size() - 2 - kStartedDigits);
        saved = SetFilePointerEx(backup, at, nullptr, FILE_BEGIN) &&
                writeAll(backup, startedDigits(fileTime(now))) && FlushFileBuffers(backup);
    }
    DWORD error = GetLastError();
    if (backup != INVALID_HANDLE_VALUE)
        CloseHandle(backup);
    if (!saved) {
        DeleteFileW(backupFile.c_str());
        CloseHandle(file);
        return failure("cannot keep the old text of", path, error);
    }
    const bool written = overwrite(file, text);
    error = GetLastError();
    // A write that fails half-way (a full disk with the file half grown) puts the old text
    // back at once; should that fail too, the backup stays for the next use of the file.
    const bool restored = written || overwrite(file, old);
    CloseHandle(file);
    if (restored)
        DeleteFileW(backupFile.c_str());
    return written ? std::string() : failure("cannot write", path, error);
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
    m_path = path;
    m_lock = takeLock(lockName(path));
    mendUnderLock(path);
    removeLeftCopies(path);

    const std::wstring file = wide(path);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) {
        releaseLock(m_lock);
        return failure("cannot read", path, GetLastError());
    }
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        releaseLock(m_lock);
        return "cannot write " + path + ": the file is read-only";
    }
    const std::string stem = stemOf(path);
    for (unsigned attempt = 0; attempt < 256; ++attempt) {
        const unsigned number = (GetCurrentProcessId() + attempt) & 0xffu;
        const char suffix[3] = {"0123456789abcdef"[number >> 4], "0123456789abcdef"[number & 15],
                                '\0'};
        const std::wstring copy = wide(stem + suffix);
        bool made = false;
        if (exists) {
            // The copy must not be hidden or a system file: the profile functions rewrite it.
            made = CopyFileW(file.c_str(), copy.c_str(), TRUE) &&
                   SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        } else {
            HANDLE created = CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
            made = created != INVALID_HANDLE_VALUE;
            if (made)
                CloseHandle(created);
        }
        if (made) {
            m_copy = stem + suffix;
            return {};
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            DeleteFileW(copy.c_str());
            releaseLock(m_lock);
            return failure("cannot make a copy of", path, error);
        }
    }
    releaseLock(m_lock);
    return "cannot make a copy of " + path + ": every name is taken";
}

std::string ProfileSave::finish(bool keep)
{
    if (m_copy.empty()) {
        releaseLock(m_lock);
        return {};
    }
    const std::wstring file = wide(m_path);
    const std::wstring copy = wide(m_copy);
    std::string problem;
    if (keep) {
        // The copy reaches the disk before it takes the file's name.
        HANDLE written = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
        if (written == INVALID_HANDLE_VALUE || !FlushFileBuffers(written))
            problem = failure("cannot write", m_copy, GetLastError());
        if (written != INVALID_HANDLE_VALUE)
            CloseHandle(written);

        HANDLE old = problem.empty() ? CreateFileW(file.c_str(), GENERIC_READ | READ_CONTROL,
                                                   kShareAll, nullptr, OPEN_EXISTING, 0, nullptr)
                                     : INVALID_HANDLE_VALUE;
        bool replace = problem.empty();
        if (old != INVALID_HANDLE_VALUE) {
            BY_HANDLE_FILE_INFORMATION info{};
            replace = GetFileInformationByHandle(old, &info) && info.nNumberOfLinks == 1 &&
                      ownedByThisUser(old, false) && takesAccessList(old, copy);
            CloseHandle(old);
            if (replace)
                SetFileAttributesW(copy.c_str(), (info.dwFileAttributes & kKeptAttributes)
                                                     ? info.dwFileAttributes & kKeptAttributes
                                                     : FILE_ATTRIBUTE_NORMAL);
            else
                problem = writeInPlace(m_path, m_copy);
        }
        if (replace && !MoveFileExW(copy.c_str(), file.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            // A name that cannot be replaced (held open without sharing its deletion) may still
            // be written.
            const DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
                SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
                problem = writeInPlace(m_path, m_copy);
            } else {
                problem = failure("cannot replace", m_path, error);
            }
        }
    }
    DeleteFileW(copy.c_str()); // gone already when it took the name
    m_copy.clear();
    releaseLock(m_lock);
    return problem;
}

void mendInterruptedSave(const std::string &path)
{
    if (path.empty() || GetFileAttributesW(backupName(path).c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    void *lock = takeLock(lockName(path));
    mendUnderLock(path);
    releaseLock(lock);
}

} // namespace platform
