// SPDX-License-Identifier: MIT
#include "editor/win32/widetext.h"

#include <windows.h>

namespace hueloft::win32 {

std::wstring widen(const char *text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1)
        MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), size);
    return wide;
}

} // namespace hueloft::win32
