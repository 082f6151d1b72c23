// SPDX-License-Identifier: MIT
#pragma once

// The seven functions the editor declares by library and entry name, bound with LoadLibraryW
// and GetProcAddress at their first call and kept in a slot each. A library stays loaded until
// the program ends: swatchy holds the custom colours from start-up to shut-down. When swatchy
// or an entry point is missing, one line on standard error says which and why, and the call
// does nothing (ShowColorDialog gives back the colour it was given).

#include <cstdint>
#include <string>

namespace hueloft::win32 {

int SetWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                 unsigned flags);
int WritePrivateProfileStringA(const std::string &section, const std::string &key,
                               const std::string &value, const std::string &path);
std::int32_t GetPrivateProfileIntA(const std::string &section, const std::string &key,
                                   int defaultValue, const std::string &path);
std::uint32_t ShowColorDialog(std::uint32_t color, std::uintptr_t owner);
void SaveCustomColors(const std::string &path);
void LoadCustomColors(const std::string &path);

} // namespace hueloft::win32
