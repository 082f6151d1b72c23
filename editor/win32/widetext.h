// SPDX-License-Identifier: MIT
#pragma once

// The program's own texts are UTF-8; the windows take UTF-16.

#include <string>

namespace hueloft::win32 {

std::wstring widen(const char *text);

} // namespace hueloft::win32
