// SPDX-License-Identifier: MIT
#pragma once

// Where the settings file lives on Windows. HUELOFT.INI in the program's own folder (the
// folder from GetModuleFileNameW with "\HUELOFT.INI" appended unchanged) when that file exists
// or the folder can be written, as in a portable copy; otherwise, as for a program installed
// under Program Files, %APPDATA%\hueloft\HUELOFT.INI.
//
// The profile functions and swatchy take the path in the ANSI code page. A folder whose name
// has characters outside it would turn into question marks and the settings would be lost, so
// such a folder is named by its short (8.3) name, which the file system spells in the code
// page; where the volume keeps no short names, the per-user folder is used instead.

#include <string>

namespace hueloft::win32 {

struct Location
{
    std::string path;     // in the ANSI code page
    bool perUser = false; // the folder may still have to be made before the first write
};

Location settingsLocation();

// The program's own folder, as GetModuleFileNameW names it.
std::wstring programFolder();

// Folder as the ANSI code page spells it without loss, else its short name if that can be
// spelt, else empty.
std::string ansiFolderName(const std::wstring &folder);

} // namespace hueloft::win32
