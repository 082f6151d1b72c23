// SPDX-License-Identifier: MIT
#pragma once

// What the system says about the places a settings file can live: the program's own folder,
// the user's own configuration folder, whether this copy was installed, and what this user may
// do with a file. Facts only; which file is used is decided by the editor
// (editor/core/settingslocation.h).
//
// Paths are in the form the profile functions and swatchy take them: bytes as the file system
// names them on Linux, the ANSI code page on Windows (where a folder that the code page cannot
// spell, or whose path is too long for those functions, is named by its short name).

#include "platform/profile.h"

#include <cstdint>
#include <string>

namespace platform {

// A settings file, or the place one would be made.
struct FileFacts
{
    bool exists = false;
    bool readable = false; // by this user
    // This user can write the file; for a missing one, can make it in its folder. Tried the
    // way the system decides it (the effective user, access rights), not guessed from bits.
    bool writable = false;
    std::string notRegular; // "a FIFO", "a folder", ...; empty for a regular file or none
    // Why the file must not be used at all ("it is a file that another user made in a folder
    // others can write"); then it is neither readable nor writable. Empty otherwise.
    std::string unusable;
};

struct SettingsFacts
{
    char separator = '/';
    std::string programFolder;        // empty when it cannot be named as above
    std::string programFolderProblem; // why, for the one line that says so
    // An installed copy (Linux: the installation layout, with swatchy in the library folder
    // and none beside the program; Windows: the marker "hueloft.installed" that the installer
    // puts beside the program) keeps every user's settings in that user's own folder.
    bool installed = false;
    // Windows: the system's list of installed programs is read, and whether an entry of it (the
    // installer's) names the program's folder. A lost marker does not make a portable copy.
    bool listsInstalls = false;
    bool registered = false;
    FileFacts besideProgram;    // <program folder>/HUELOFT.INI
    std::string perUserFolder;  // $XDG_CONFIG_HOME/hueloft, ~/.config/hueloft, %APPDATA%\hueloft
                                // (on Windows named only where it may be used, as perUserFile)
    std::string perUserProblem; // why there is none
    FileFacts perUserFile;      // <per-user folder>/HUELOFT.INI; only asked where it may be used
};

// The folder of the running program; empty when the system does not say.
std::string programFolder();

// The facts for the program in Folder. InstalledLibraryFolder is where an installation keeps
// swatchy (Linux); Windows has the installer's marker instead and ignores it.
SettingsFacts settingsFacts(const std::string &folder, const std::string &installedLibraryFolder);

// What this user may do with the file at Path.
FileFacts fileFacts(const std::string &path);

// The size in bytes of the file at Path (links followed), asked before it is opened; -1 when
// there is no such file or the system cannot tell.
std::int64_t fileSize(const std::string &path);

// Why the file at Path cannot be the settings: reading it whole could exhaust memory, and
// replacing it with a few hundred bytes would destroy whatever it really is. Empty when the
// file is small enough, or not there.
inline std::string tooLargeForSettings(const std::string &path)
{
    const std::int64_t size = fileSize(path);
    return size < 0 || std::uint64_t(size) <= kProfileFileSizeLimit ? std::string()
                                                                    : tooLargeText(size);
}

// Makes the missing folders above the file at Path. The reason of a failure ("cannot create
// /ro/hueloft: Read-only file system"), empty on success.
std::string makeFoldersFor(const std::string &path);

} // namespace platform
