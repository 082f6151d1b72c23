// SPDX-License-Identifier: MIT
// The exit's save on Windows (profilesave_win32.h). In this file: the lock, the private copy
// and the copies of killed saves, whether a new file can be the old one, and the save itself.
// The write in place, with its backup and the mending of a killed one, is in
// profilebackup_win32.cpp.
//
// Every name beside the file is its stem and two characters ("HUELOFT.~lk", "HUELOFT.~sv",
// "HUELOFT.~3f"): no longer than "HUELOFT.INI", so that a path short enough for the profile
// functions stays so.

#include "platform/profilesave_win32.h"

#include "platform/profilebackup_win32.h"

#include <windows.h>

#include <aclapi.h>

#include <string_view>

namespace platform {

using namespace profilebackup;

namespace {

// As on Linux: far longer than any real save of another process, short enough that a hung one
// never keeps this one from ending. Tried every 5 ms, the clock read each time.
constexpr ULONGLONG kLockWaitMs = 10000;
constexpr DWORD kLockRetryMs = 5;

// The attributes a file keeps through a replacement; read-only files are never replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring lockName(const std::string &path)
{
    return wide(stemOf(path) + "lk");
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
