// SPDX-License-Identifier: MIT
#include "platform/settingsfacts.h"

#include "platform/fileplace_win32.h"
#include "platform/systemmessage_win32.h"

#include <windows.h>

namespace platform {

namespace {

// "\HUELOFT.INI": the room a folder's name leaves for the file's own name.
constexpr std::size_t kFileNameRoom = 12;

std::wstring shortName(const std::wstring &folder)
{
    // A path longer than MAX_PATH is asked for in its long form.
    const std::wstring asked =
        folder.size() >= MAX_PATH && folder.rfind(L"\\\\", 0) != 0 ? L"\\\\?\\" + folder : folder;
    const DWORD size = GetShortPathNameW(asked.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring name(size, L'\0');
    name.resize(GetShortPathNameW(asked.c_str(), name.data(), size));
    if (name.rfind(L"\\\\?\\", 0) == 0 && asked != folder)
        name.erase(0, 4);
    return name;
}

// The folder as the profile functions can take it with the file's name appended: its ANSI
// spelling, else its short (8.3) name, which the file system spells in the code page and which
// is short enough where the long one passes MAX_PATH. Empty when neither will do: the profile
// functions would write somewhere else or nowhere.
std::string profileFolderName(const std::wstring &folder)
{
    auto fits = [](const std::string &name) {
        return !name.empty() && name.size() + kFileNameRoom < MAX_PATH;
    };
    if (std::string ansi = ansiOf(folder); fits(ansi))
        return ansi;
    if (std::string ansi = ansiOf(shortName(folder)); fits(ansi))
        return ansi;
    return {};
}

// Another program holding the file for a moment (a backup tool, a virus scanner) is waited for
// as the save waits for its lock: it says nothing of this user's rights.
bool opens(const std::wstring &path, DWORD access)
{
    HANDLE file = openWaiting(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Whether a file can be made in Folder: tried, not guessed from attributes, which say nothing
// of access rights. The probe is gone when its handle closes.
bool canMakeFileIn(const std::string &folder)
{
    const std::string probe =
        folder + "\\hueloft-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// The full, long form of a path, for comparing two names of one folder ("C:\Apps\sub\..\hue",
// "C:\APPS\HUE~1" and "C:\Apps\hue\" alike); the text itself when the system cannot say.
std::wstring fullLongPath(const std::wstring &path)
{
    wchar_t full[4096];
    const DWORD size = GetFullPathNameW(path.c_str(), 4096, full, nullptr);
    std::wstring result = size > 0 && size < 4096 ? std::wstring(full, size) : path;
    const DWORD longSize = GetLongPathNameW(result.c_str(), full, 4096);
    if (longSize > 0 && longSize < 4096)
        result.assign(full, longSize);
    while (result.size() > 3 && result.back() == L'\\')
        result.pop_back();
    return result;
}

// Whether an entry of the installer among the installed programs, the current user's or the
// machine's, names Folder as its install's folder.
bool installNamesFolder(const std::wstring &folder)
{
    const std::wstring own = fullLongPath(folder);
    const wchar_t uninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY list = nullptr;
        if (RegOpenKeyExW(root, uninstall, 0, KEY_READ | KEY_WOW64_64KEY, &list) != ERROR_SUCCESS)
            continue;
        bool found = false;
        wchar_t name[256];
        for (DWORD i = 0; !found; ++i) {
            DWORD length = 256;
            if (RegEnumKeyExW(list, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (std::wstring(name, length).compare(0, 7, L"hueloft") != 0)
                continue;
            wchar_t location[MAX_PATH * 4];
            DWORD bytes = sizeof location - sizeof(wchar_t);
            DWORD type = 0;
            if (RegGetValueW(list, name, L"InstallLocation", RRF_RT_REG_SZ, &type, location,
                             &bytes) == ERROR_SUCCESS)
                found = lstrcmpiW(fullLongPath(location).c_str(), own.c_str()) == 0;
        }
        RegCloseKey(list);
        if (found)
            return true;
    }
    return false;
}

} // namespace

std::string programFolder()
{
    return profileFolderName(programFolderWide());
}

FileFacts fileFacts(const std::string &path)
{
    FileFacts facts;
    // An entry the rule refuses (another user's file or link in a folder others can write) is
    // one this user cannot use: neither read nor written.
    const Entry entry = openEntry(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true);
    facts.exists = entry.handle != INVALID_HANDLE_VALUE || !entry.refusal.empty() ||
                   (entry.error != ERROR_FILE_NOT_FOUND && entry.error != ERROR_PATH_NOT_FOUND);
    if (!facts.exists) {
        facts.writable = canMakeFileIn(path.substr(0, path.find_last_of('\\')));
        return facts;
    }
    if (entry.handle == INVALID_HANDLE_VALUE)
        return facts;
    CloseHandle(entry.handle);
    if (entry.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        facts.notRegular = "a folder";
    facts.readable = opens(entry.reached, GENERIC_READ);
    facts.writable = opens(entry.reached, GENERIC_WRITE);
    return facts;
}

std::int64_t fileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return std::int64_t(std::uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

SettingsFacts settingsFacts(const std::string &folder, const std::string &)
{
    SettingsFacts facts;
    facts.separator = '\\';
    facts.programFolder = folder;
    if (folder.empty()) {
        facts.programFolderProblem = "the program's folder has no name the profile functions "
                                     "can take (too long, or not in the ANSI code page, and "
                                     "no short name)";
    } else {
        facts.besideProgram = fileFacts(folder + "\\HUELOFT.INI");
        const DWORD marker = GetFileAttributesA((folder + "\\hueloft.installed").c_str());
        facts.installed = marker != INVALID_FILE_ATTRIBUTES && !(marker & FILE_ATTRIBUTE_DIRECTORY);
        facts.listsInstalls = true;
        facts.registered = installNamesFolder(programFolderWide());
    }

    // A portable copy whose own file can be used never looks at the per-user folder: no name
    // to ask for, no folder made, no file tried there.
    const bool ownUsable = !folder.empty() && facts.besideProgram.writable &&
                           facts.besideProgram.notRegular.empty();
    if (!facts.installed && !facts.registered && ownUsable)
        return facts;

    std::wstring appData(GetEnvironmentVariableW(L"APPDATA", nullptr, 0), L'\0');
    appData.resize(GetEnvironmentVariableW(L"APPDATA", appData.data(), DWORD(appData.size())));
    if (appData.empty()) {
        facts.perUserProblem = "there is no per-user folder (%APPDATA% is not set)";
        return facts;
    }
    // The per-user folder may not exist yet; its short name can be asked only once it does,
    // so a name that needs one is made now.
    std::string user = profileFolderName(appData);
    if (!user.empty() && user.size() + 8 + kFileNameRoom < MAX_PATH) {
        user += "\\hueloft";
    } else {
        CreateDirectoryW((appData + L"\\hueloft").c_str(), nullptr);
        user = profileFolderName(appData + L"\\hueloft");
    }
    if (user.empty()) {
        facts.perUserProblem = "the per-user folder %APPDATA%\\hueloft has no name the profile "
                               "functions can take";
        return facts;
    }
    facts.perUserFolder = user;
    facts.perUserFile = fileFacts(user + "\\HUELOFT.INI");
    return facts;
}

std::string makeFoldersFor(const std::string &path)
{
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return {};
    return "cannot create " + folder + ": " + systemMessage(GetLastError());
}

} // namespace platform
