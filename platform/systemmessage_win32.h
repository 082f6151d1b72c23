// SPDX-License-Identifier: MIT
#pragma once

// Problem lines (standard error, the box) are in the ANSI code page, as the paths in them are.

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

// Text for a line; a character the code page lacks becomes '?', never a look-alike ('\').
inline std::string lineText(std::wstring_view text)
{
    const int length = int(text.size()), flags = WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? std::size_t(size) : 0, '\0'); // size 0: only measures
    WideCharToMultiByte(CP_ACP, flags, text.data(), length, result.data(), size, nullptr, nullptr);
    return result;
}

inline std::string systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string message = length ? lineText({text, length}) : "error " + std::to_string(code);
    LocalFree(text);
    // The system ends its texts with a full stop and a line end; the caller adds its own.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

} // namespace platform
