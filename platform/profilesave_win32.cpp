// SPDX-License-Identifier: MIT
// The exit's save on Windows (profilesave_win32.h): the lock, the private copy, whether the
// copy can become the file, the copy read back, and the save itself.
//
// Every name beside the file is its stem and two characters ("HUELOFT.~lk", "HUELOFT.~sv",
// "HUELOFT.~3f"): no longer than "HUELOFT.INI", so that a path short enough for the profile
// functions stays so. Each is made new by this process (an entry already there is neither
// opened, followed nor removed: it is someone else's) and removed only through the handle
// that made or checked it.

#include "platform/profilesave_win32.h"

#include "platform/profilebackup_win32.h"

#include <aclapi.h>

#include <algorithm>
#include <vector>

namespace platform {

using namespace profilebackup;

namespace {

// The attributes a file keeps through a replacement; read-only files are never replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Far more than the exit adds to a file (its 25 keys), had on the drive before it writes.
constexpr std::size_t kRoom = 65536;

// ---------------------------------------------------------------------------------------------
// The lock (profilesave_win32.h). Null when it was not had within the limit, or cannot be had
// at all (a folder this user cannot write: the save then fails at its copy, with the reason).
HANDLE takeLock(const std::string &path)
{
    const ULONGLONG deadline = GetTickCount64() + kHeldWaitMs;
    for (;;) {
        HANDLE lock = createSideFile(stemOf(path) + "lk", GENERIC_WRITE | DELETE,
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY |
                                         FILE_FLAG_DELETE_ON_CLOSE);
        if (lock != INVALID_HANDLE_VALUE)
            return lock;
        // Held by another save, or going as its holder lets it go (access denied while the
        // name is still there), or an entry of someone else's: only waiting passes these.
        const DWORD error = GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
             error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            GetTickCount64() >= deadline)
            return nullptr;
        Sleep(5);
    }
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
        if (!(left.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && left.info.nNumberOfLinks == 1)
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
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        &owner, nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS)
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
            return "cannot write " + path + ": the file its link names has no name in the ANSI "
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
    Entry copy = openEntry(wide(m_copy), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                           false);
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
                                       &free, nullptr, nullptr) && free.QuadPart < 4096) {
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
            gone = SetFileInformationByHandle(copy.handle, FileRenameInfo, info, DWORD(rename.size()));
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
    if (file.empty() || GetFileAttributesW(wide(stemOf(file) + "sv").c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    void *lock = takeLock(file);
    mendUnderLock(file);
    releaseLock(lock);
}

} // namespace platform
