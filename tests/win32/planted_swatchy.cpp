// SPDX-License-Identifier: MIT
// A swatchy.dll that is not the program's, as someone may leave one in the current folder or a
// folder on PATH: loaded anywhere, it leaves the file swatchy.dll.loaded beside itself.

#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH];
        const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
        const std::wstring mark = std::wstring(path, length) + L".loaded";
        CloseHandle(CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return TRUE;
}
