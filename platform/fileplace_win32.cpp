// SPDX-License-Identifier: MIT
// The one rule by which the program uses or refuses an entry on Windows (fileplace_win32.h).

#include "platform/fileplace_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <cwchar>

namespace platform {

std::wstring wide(const std::string &ansi)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), nullptr, 0);
    std::wstring text(size > 0 ? std::size_t(size) : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), text.data(), size);
    return text;
}

std::string ansiOf(const std::wstring &text)
{
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                         int(text.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy)
        return {};
    std::string result(std::size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()),
                        result.data(), size, nullptr, &lossy);
    return lossy ? std::string() : result;
}

std::wstring programFolderWide()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path.substr(0, path.find_last_of(L"\\/"));
        }
        path.resize(path.size() * 2);
    }
}

HANDLE openWaiting(const std::wstring &path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags, SECURITY_ATTRIBUTES *security)
{
    const ULONGLONG deadline = GetTickCount64() + kHeldWaitMs;
    for (;;) {
        HANDLE file =
            CreateFileW(path.c_str(), access, share, security, disposition, flags, nullptr);
        const DWORD error = GetLastError();
        const bool taken = disposition == CREATE_NEW &&
                           (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                            error == ERROR_ACCESS_DENIED);
        if (file != INVALID_HANDLE_VALUE || (error != ERROR_SHARING_VIOLATION && !taken) ||
            GetTickCount64() >= deadline)
            return file;
        Sleep(5);
    }
}

std::wstring userSid()
{
    std::wstring result;
    HANDLE token = nullptr;
    alignas(TOKEN_USER) unsigned char buffer[256];
    DWORD size = 0;
    wchar_t *text = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
        GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid, &text)) {
        result = text;
        LocalFree(text);
    }
    if (token)
        CloseHandle(token);
    return result;
}

bool sameFile(const BY_HANDLE_FILE_INFORMATION &file, HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION other{};
    return GetFileInformationByHandle(handle, &other) &&
           other.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
           other.nFileIndexHigh == file.nFileIndexHigh && other.nFileIndexLow == file.nFileIndexLow;
}

bool removeOpened(HANDLE file)
{
    FILE_DISPOSITION_INFO remove{TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
}

namespace {

// SYSTEM, Administrators, TrustedInstaller; and CREATOR OWNER, which grants a new entry's maker
// rights on that entry only.
constexpr const wchar_t *kAdministrators[] = {
    L"S-1-5-18", L"S-1-5-32-544", L"S-1-3-0",
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"};

// The rights that create or remove names in a folder, or give them.
constexpr DWORD kNameRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE |
                              WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// This user or an administrator.
bool trusted(PSID sid)
{
    wchar_t *text = nullptr;
    if (!sid || !IsValidSid(sid) || !ConvertSidToStringSidW(sid, &text))
        return false;
    bool result = text == userSid();
    for (const wchar_t *administrator : kAdministrators)
        result = result || std::wcscmp(text, administrator) == 0;
    LocalFree(text);
    return result;
}

bool ownerTrusted(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool result = trusted(owner);
    LocalFree(descriptor);
    return result;
}

bool privateFolder(const std::wstring &folder)
{
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring name = folder;
    if (GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool result = list != nullptr;
    for (DWORD i = 0; result && i < list->AceCount; ++i) {
        ACE_HEADER *ace = nullptr;
        result = GetAce(list, i, reinterpret_cast<void **>(&ace));
        if (!result || ace->AceType == ACCESS_DENIED_ACE_TYPE ||
            ace->AceType == ACCESS_DENIED_OBJECT_ACE_TYPE || ace->AceType >= SYSTEM_AUDIT_ACE_TYPE)
            continue;
        // An allowing entry of another layout (object, callback) is not read: others may.
        const auto *allowed = reinterpret_cast<ACCESS_ALLOWED_ACE *>(ace);
        result = ace->AceType == ACCESS_ALLOWED_ACE_TYPE &&
                 (!(allowed->Mask & kNameRights) || trusted(PSID(&allowed->SidStart)));
    }
    LocalFree(descriptor);
    return result;
}

// The path the open entry resolves to, without the "\\?\" prefix; empty when unknown.
std::wstring finalPath(HANDLE file)
{
    wchar_t buffer[4096];
    const DWORD size = GetFinalPathNameByHandleW(file, buffer, 4096, FILE_NAME_NORMALIZED);
    if (size == 0 || size >= 4096)
        return {};
    std::wstring path(buffer, size);
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\" + path.substr(7);
    return path.rfind(L"\\\\?\\", 0) == 0 ? path.substr(4) : path;
}

std::wstring finalPath(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::wstring result = finalPath(file);
    CloseHandle(file);
    return result;
}

std::wstring folderOf(const std::wstring &path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

void refuse(Entry &entry, const char *why)
{
    CloseHandle(entry.handle);
    entry.handle = INVALID_HANDLE_VALUE;
    entry.refusal = why;
}

} // namespace

Entry openEntry(const std::wstring &path, DWORD access, DWORD share, bool followLinks)
{
    constexpr DWORD kFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
    Entry entry;
    entry.reached = path;
    entry.handle = openWaiting(path, access | READ_CONTROL, share, OPEN_EXISTING, kFlags);
    if (entry.handle == INVALID_HANDLE_VALUE) {
        entry.error = GetLastError();
        return entry;
    }
    std::wstring folder = folderOf(path);
    bool ownFolder = privateFolder(folder);
    GetFileInformationByHandle(entry.handle, &entry.info);
    const bool reparse = entry.info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    const std::wstring resolved = finalPath(entry.handle), within = finalPath(folder);
    // Where the path it leads to cannot be told (Wine resolves no path longer than MAX_PATH),
    // an entry of a shared folder counts as a link.
    const bool link = reparse || (resolved.empty() || within.empty()
                                      ? !ownFolder
                                      : CompareStringOrdinal(resolved.c_str(), -1,
                                                             (within + path.substr(folder.size())).c_str(),
                                                             -1, TRUE) != CSTR_EQUAL);
    if (link) {
        // Only Windows shows who made a link: the owner of the reparse point itself.
        if (!followLinks || !(ownFolder || (reparse && ownerTrusted(entry.handle)))) {
            refuse(entry, "it is a link that another user made in a folder others can write");
            return entry;
        }
        if (reparse) {
            CloseHandle(entry.handle);
            entry.handle = openWaiting(path, access | READ_CONTROL, share, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS);
            if (entry.handle == INVALID_HANDLE_VALUE) {
                entry.error = GetLastError();
                return entry;
            }
            GetFileInformationByHandle(entry.handle, &entry.info);
        }
        // The file it names is judged where it lies.
        if (const std::wstring target = reparse ? finalPath(entry.handle) : resolved; !target.empty()) {
            entry.reached = target;
            folder = folderOf(target);
            ownFolder = privateFolder(folder);
        }
    }
    if (ownFolder)
        return entry;
    if (!ownerTrusted(entry.handle))
        refuse(entry, "it is a file that another user made in a folder others can write");
    else if (!(entry.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
             entry.info.nNumberOfLinks != 1)
        refuse(entry, "it is a file with more than one name in a folder others can write");
    return entry;
}

} // namespace platform
