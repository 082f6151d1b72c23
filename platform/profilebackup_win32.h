// SPDX-License-Identifier: MIT
#pragma once

// The exit's save on Windows (profilesave_win32.h): what its write in place and its save by
// replacement share, and the write in place itself, with the backup that lets a killed one be
// put right (profilebackup_win32.cpp). Paths are the ANSI ones the profile functions take.
// Private to the platform library.

#include <windows.h>

#include <string>

namespace platform::profilebackup {

// The path in the system's ANSI code page, as the wide-character functions take it.
std::wstring wide(const std::string &ansi);
// "<what> <path>: <the system's reason for code>".
std::string failure(const char *what, const std::string &path, DWORD code);
// Where every name beside the file starts: the path without its extension, then ".~".
std::string stemOf(const std::string &path);
// The backup of a write in place.
std::wstring backupName(const std::string &path);

// Whether File belongs to this user; AsCreator: or to the owner this process gives the files
// it makes.
bool ownedByThisUser(HANDLE file, bool asCreator);

// Under the lock. A backup that passes every check puts the old text back; it goes once it is
// of no more use, that is unless putting the old text back failed.
void mendUnderLock(const std::string &path);

// Under the lock: the new text (the copy's) over the file at Path, its old text and the new
// first kept in the backup. The reason of a failure, naming the file; empty on success.
std::string writeInPlace(const std::string &path, const std::string &copy);

} // namespace platform::profilebackup
