// SPDX-License-Identifier: MIT
#pragma once

// Standard output and standard error of a program with windows, for its command line.
// Windows gives such a program no console of its own: it writes where it was told to (a file,
// a pipe: the handles a redirection gives it), and otherwise to the console of the program
// that started it, if that has one.

#include <windows.h>

#include <string_view>

namespace hueloft::win32 {

class Console
{
public:
    Console() = default;
    ~Console();
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    // Text with its line ends written as "\r\n"; false when not all of it got there.
    bool writeOut(std::string_view text) { return write(STD_OUTPUT_HANDLE, text); }
    bool writeError(std::string_view text) { return write(STD_ERROR_HANDLE, text); }

private:
    bool write(DWORD stream, std::string_view text);
    HANDLE target(DWORD stream);

    bool m_triedConsole = false;
    HANDLE m_console = INVALID_HANDLE_VALUE;
};

} // namespace hueloft::win32
