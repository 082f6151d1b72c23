// SPDX-License-Identifier: MIT
#include "editor/win32/externals_win32.h"

#include <windows.h>

#include <array>
#include <cstdio>

namespace hueloft::win32 {

namespace {

struct Declaration
{
    const wchar_t *library;
    const char *entry;
};

enum Slot { SetWindowPosSlot, WriteSlot, GetStringSlot, GetIntSlot, ShowSlot, SaveSlot, LoadSlot };

constexpr std::array<Declaration, 7> kTable = {{
    {L"user32", "SetWindowPos"},
    {L"kernel32", "WritePrivateProfileStringA"},
    {L"kernel32", "GetPrivateProfileStringA"},
    {L"kernel32", "GetPrivateProfileIntA"},
    {L"swatchy.dll", "ShowColorDialog"},
    {L"swatchy.dll", "SaveCustomColors"},
    {L"swatchy.dll", "LoadCustomColors"},
}};

std::array<FARPROC, kTable.size()> cache{};
std::array<bool, kTable.size()> failed{};

std::string systemMessage(DWORD error)
{
    char *text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<char *>(&text), 0, nullptr);
    std::string message = text ? text : "error " + std::to_string(error);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}

template<typename Function>
Function bound(Slot slot)
{
    if (!cache[slot] && !failed[slot]) {
        const Declaration &d = kTable[slot];
        HMODULE module = LoadLibraryW(d.library);
        FARPROC address = module ? GetProcAddress(module, d.entry) : nullptr;
        if (!address) {
            const DWORD error = GetLastError();
            failed[slot] = true;
            std::fprintf(stderr, "hueloft: %ls: %s%s: %s\n", d.library,
                         module ? "no entry point " : "cannot load",
                         module ? d.entry : "", systemMessage(error).c_str());
        }
        cache[slot] = address;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void *>(cache[slot]));
}

} // namespace

int SetWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                 unsigned flags)
{
    using Fn = BOOL(WINAPI *)(HWND, HWND, int, int, int, int, UINT);
    auto fn = bound<Fn>(SetWindowPosSlot);
    return fn ? fn(reinterpret_cast<HWND>(window), reinterpret_cast<HWND>(insertAfter), x, y, cx,
                   cy, flags)
              : 0;
}

int WritePrivateProfileStringA(const std::string &section, const std::string &key,
                               const std::string &value, const std::string &path)
{
    using Fn = BOOL(WINAPI *)(LPCSTR, LPCSTR, LPCSTR, LPCSTR);
    auto fn = bound<Fn>(WriteSlot);
    return fn ? fn(section.c_str(), key.c_str(), value.c_str(), path.c_str()) : 0;
}

std::int32_t GetPrivateProfileIntA(const std::string &section, const std::string &key,
                                   int defaultValue, const std::string &path)
{
    using Fn = UINT(WINAPI *)(LPCSTR, LPCSTR, INT, LPCSTR);
    auto fn = bound<Fn>(GetIntSlot);
    return fn ? static_cast<std::int32_t>(fn(section.c_str(), key.c_str(), defaultValue,
                                             path.c_str()))
              : defaultValue;
}

std::uint32_t ShowColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    using Fn = std::uint32_t(WINAPI *)(std::uint32_t, std::uintptr_t);
    auto fn = bound<Fn>(ShowSlot);
    return fn ? fn(color, owner) : color;
}

void SaveCustomColors(const std::string &path)
{
    using Fn = void(WINAPI *)(const char *);
    // Without a load the library's store holds zeros, not the file's colours: saving them
    // would wipe the custom colours.
    if (!cache[LoadSlot])
        return;
    if (auto fn = bound<Fn>(SaveSlot))
        fn(path.c_str());
}

void LoadCustomColors(const std::string &path)
{
    using Fn = void(WINAPI *)(const char *);
    if (auto fn = bound<Fn>(LoadSlot))
        fn(path.c_str());
}

} // namespace hueloft::win32
