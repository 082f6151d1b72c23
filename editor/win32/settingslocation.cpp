// SPDX-License-Identifier: MIT
#include "editor/win32/settingslocation.h"

#include <windows.h>

#include <vector>

namespace hueloft::win32 {

namespace {

// Empty when a character has no spelling in the code page.
std::string toAnsi(const std::wstring &text)
{
    if (text.empty())
        return {};
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                         int(text.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy)
        return {};
    std::string ansi(size, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), ansi.data(),
                        size, nullptr, &lossy);
    return lossy ? std::string() : ansi;
}

} // namespace

std::wstring programFolder()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            return path.substr(0, path.find_last_of(L'\\'));
        }
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

bool exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether a file can be made in Folder: tried, not guessed from attributes, which say nothing
// of access rights. The probe is gone when its handle closes.
bool writable(const std::wstring &folder)
{
    const std::wstring probe =
        folder + L"\\hueloft-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

std::wstring environment(const wchar_t *name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

} // namespace

std::string ansiFolderName(const std::wstring &folder)
{
    std::string ansi = toAnsi(folder);
    if (!ansi.empty())
        return ansi;
    const DWORD size = GetShortPathNameW(folder.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring shortName(size, L'\0');
    shortName.resize(GetShortPathNameW(folder.c_str(), shortName.data(), size));
    return toAnsi(shortName);
}

Location settingsLocation()
{
    const std::wstring folder = programFolder();
    const std::string ansiFolder = ansiFolderName(folder);
    if (!ansiFolder.empty() && (exists(folder + L"\\HUELOFT.INI") || writable(folder)))
        return {ansiFolder + "\\HUELOFT.INI", false};

    // The per-user folder may not exist yet; its short name can be asked only once it does,
    // so a name the code page cannot spell is made now.
    const std::wstring appData = environment(L"APPDATA");
    const std::wstring userFolder = appData + L"\\hueloft";
    std::string ansiUser = ansiFolderName(appData);
    if (!ansiUser.empty())
        return {ansiUser + "\\hueloft\\HUELOFT.INI", true};
    CreateDirectoryW(userFolder.c_str(), nullptr);
    ansiUser = ansiFolderName(userFolder);
    if (!ansiUser.empty())
        return {ansiUser + "\\HUELOFT.INI", true};
    // Nothing can be spelt: the program folder as the code page spells it, question marks and
    // all; the first failed write says so on standard error.
    const int size = WideCharToMultiByte(CP_ACP, 0, folder.data(), int(folder.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string lossy(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, folder.data(), int(folder.size()), lossy.data(), size,
                            nullptr, nullptr);
    return {lossy + "\\HUELOFT.INI", false};
}

} // namespace hueloft::win32
