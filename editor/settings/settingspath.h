// SPDX-License-Identifier: MIT
#pragma once

// Where the settings file lives: HUELOFT.INI in the program's own folder (the folder path with
// "/HUELOFT.INI" appended unchanged) whenever that file exists or that folder can be written,
// as in a portable copy or a build tree. A program installed in a folder the user cannot write
// would otherwise lose every setting at every exit; it keeps them in the per-user
// configuration folder instead: $XDG_CONFIG_HOME/hueloft/HUELOFT.INI, ~/.config by default.
//
// Paths are bytes, exactly as the system gives them: a folder name that is not valid UTF-8
// works like any other.

#include <string>

struct SettingsLocation
{
    std::string path;     // empty when there is nowhere to keep the settings
    bool perUser = false; // the folder may still have to be created before the first write
    std::string problem;  // why path is empty, for the one line that says so
};

// A relative $XDG_CONFIG_HOME is ignored, as the XDG base directory rules say; without an
// absolute $HOME there is no per-user folder at all (rather than one under whatever folder
// the program was started from, or under the root folder).
SettingsLocation settingsLocationFor(const std::string &programFolder);

// Why the file at path must be neither read nor written ("it is a FIFO, not a regular
// file"), or empty for a regular file, a link to one, or no file at all.
std::string unusableSettingsFile(const std::string &path);

// Makes the folders of the per-user path that are missing. Returns the reason of a failure
// ("cannot create /ro/hueloft: Read-only file system"), empty on success.
std::string makeSettingsFolder(const std::string &path);

// The folder of the running program, as bytes (from /proc/self/exe); empty when the system
// does not say.
std::string runningProgramFolder();
