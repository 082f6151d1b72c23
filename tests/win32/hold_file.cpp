// SPDX-License-Identifier: MIT
// Holds a file open without sharing it for a while, as a backup tool or a virus scanner does:
// hold_file <file> <milliseconds>. Says "held" on standard output once it holds the file.

#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 3)
        return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("held");
    std::fflush(stdout);
    Sleep(DWORD(std::wcstoul(argv[2], nullptr, 10)));
    CloseHandle(file);
    return 0;
}
