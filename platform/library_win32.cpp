// SPDX-License-Identifier: MIT
// On Windows every declared library is a real one: LoadLibraryW by its declared name, entry
// points by their ANSI names with GetProcAddress. Nothing is ever freed.

#include "platform/library.h"

#include "platform/systemmessage_win32.h"

#include <windows.h>

#include <string>

namespace platform {

struct Library
{
    HMODULE module = nullptr;
};

namespace {

std::string narrow(const wchar_t *text, int length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

} // namespace

Library *loadLibrary(std::u16string_view name, const std::string &, std::string &error)
{
    const std::wstring wide(name.begin(), name.end());
    const HMODULE module = LoadLibraryW(wide.c_str());
    if (!module) {
        error = systemMessage(GetLastError());
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
    return narrow(path, int(length));
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
