// SPDX-License-Identifier: MIT
#pragma once

// Where the settings file lives, decided once for both builds from the facts the platform
// layer gives (platform/settingsfacts.h).
//
// A portable copy (a build tree, the Windows zip, any folder with swatchy beside the program)
// keeps HUELOFT.INI in its own folder, the folder's name with the file's name appended
// unchanged. An installed copy keeps each user's settings in that user's own folder and never
// makes or replaces a file in its program folder, whoever runs it. A portable copy falls back on
// the per-user file where its own cannot be kept: a folder this user cannot write, or a
// HUELOFT.INI this user cannot write (said in one line). A per-user file that does not exist
// yet starts from a readable HUELOFT.INI beside the program, left by an earlier version or
// another user: it is read once and left as it is.

#include "platform/settingsfacts.h"

#include <string>

namespace hueloft {

struct SettingsLocation
{
    std::string path;     // the file's full path, as the profile functions and swatchy take it
    bool perUser = false; // its folder may still have to be made before the first write
    // Why the settings must be neither read nor written (no place for them, or a device or
    // FIFO under the file's name); empty when they can.
    std::string problem;
    // The file read at start instead of path, which does not exist yet; empty for path itself.
    std::string readFrom;
    // One line for standard error at start, without the program's name; empty for none.
    std::string note;
};

SettingsLocation chooseSettingsLocation(const platform::SettingsFacts &facts);

} // namespace hueloft
