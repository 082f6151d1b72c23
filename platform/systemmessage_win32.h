// SPDX-License-Identifier: MIT
#pragma once

// The system's own text for a Windows error code, as one line of UTF-8 for standard error.

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

inline std::string utf8Of(std::wstring_view text)
{
    const int length = int(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? std::size_t(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), size, nullptr, nullptr);
    return result;
}

inline std::string systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string message = length ? utf8Of({text, length}) : "error " + std::to_string(code);
    LocalFree(text);
    // The system ends its texts with a full stop and a line end; the caller adds its own.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

} // namespace platform
