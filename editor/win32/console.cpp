// SPDX-License-Identifier: MIT
#include "editor/win32/console.h"

#include <string>

namespace hueloft::win32 {

Console::~Console()
{
    if (m_console != INVALID_HANDLE_VALUE)
        CloseHandle(m_console);
}

HANDLE Console::target(DWORD stream)
{
    HANDLE given = GetStdHandle(stream);
    if (given && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN)
        return given;
    if (!m_triedConsole) {
        m_triedConsole = true;
        if (AttachConsole(ATTACH_PARENT_PROCESS))
            m_console =
                CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    return m_console;
}

bool Console::write(DWORD stream, std::string_view text)
{
    HANDLE handle = target(stream);
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return false;
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            lines.push_back('\r');
        lines.push_back(c);
    }
    for (std::size_t done = 0; done < lines.size();) {
        DWORD written = 0;
        if (!WriteFile(handle, lines.data() + done, DWORD(lines.size() - done), &written,
                       nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace hueloft::win32
