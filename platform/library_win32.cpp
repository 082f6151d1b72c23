// SPDX-License-Identifier: MIT
// On Windows every declared library is a real one, loaded by its declared name from where it
// belongs: the system's own from the system folder, any other (swatchy.dll) from the program's
// folder (or the system folder, which only an administrator can change), never from the
// current folder or a folder on PATH, where anyone may leave a file of that name. Entry points by
// their ANSI names with GetProcAddress. Nothing is ever freed.

#include "platform/library.h"

#include "platform/fileplace_win32.h"
#include "platform/systemmessage_win32.h"

#include <windows.h>

#include <string>

namespace platform {

struct Library
{
    HMODULE module = nullptr;
};

void restrictLibrarySearch()
{
    // The current folder leaves the search of every later load, this process's and the
    // system libraries' own; where the system knows it (Windows 8, or 7 with its update),
    // PATH leaves it as well.
    SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "SetDefaultDllDirectories")));
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

Library *loadLibrary(std::u16string_view name, const LibraryFolders &, std::string &error)
{
    const std::wstring wide(name.begin(), name.end());
    const bool system = name == u"user32" || name == u"kernel32";
    const std::wstring folder = programFolderWide();
    const std::wstring path = folder + L"\\" + wide;
    // A copy beside the program that the rule refuses (another user's, in a folder others can
    // write) is not loaded, nor any other in its place.
    if (!system) {
        const Entry entry = openEntry(path, 0, FILE_SHARE_READ | FILE_SHARE_DELETE, true);
        if (entry.handle != INVALID_HANDLE_VALUE)
            CloseHandle(entry.handle);
        if (!entry.refusal.empty()) {
            error = lineText(path) + ": " + entry.refusal;
            return nullptr;
        }
    }
    // The program's folder comes first; the system folder is there for the libraries that
    // the library itself imports (user32, gdi32), which only an administrator can change.
    HMODULE module =
        LoadLibraryExW(wide.c_str(), nullptr,
                       system ? LOAD_LIBRARY_SEARCH_SYSTEM32
                              : LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    DWORD code = module ? 0 : GetLastError();
    if (!module && code == ERROR_INVALID_PARAMETER) {
        // A system that does not know these flags: the system's libraries are already loaded
        // (the program imports them), any other is named by its full path.
        module = system ? LoadLibraryW(wide.c_str())
                        : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        code = module ? 0 : GetLastError();
    }
    if (!module) {
        if (system)
            error = systemMessage(code);
        else if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            error = lineText(wide) + " is not in " + lineText(folder) + ", the program's folder";
        else
            error = lineText(path) + ": " + systemMessage(code);
        return nullptr;
    }
    return new Library{module}; // kept, like the library itself
}

void forgetLibrary(Library *library)
{
    delete library; // no FreeLibrary: the library stays loaded until the process ends
}

void *libraryEntry(Library &library, const char *entry)
{
    return reinterpret_cast<void *>(GetProcAddress(library.module, entry));
}

std::string libraryFileName(const Library &library)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(library.module, path, MAX_PATH);
    return lineText({path, length});
}

std::string lastProfileWriteError(const std::string &fileName)
{
    const DWORD code = GetLastError();
    return code ? "cannot write " + fileName + ": " + systemMessage(code) : std::string();
}

bool profileFlushResultTells()
{
    return false;
}

} // namespace platform
