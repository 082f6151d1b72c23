// SPDX-License-Identifier: MIT
#pragma once

// The exit's save on Windows (profilesave_win32.h): what its write in place and its save by
// replacement share, and the write in place itself. Private to the platform library.

#include "platform/fileplace_win32.h"

#include <string>
#include <string_view>

namespace platform::profilebackup {

// "<what> <path>: <the system's reason for code>".
std::string failure(const char *what, const std::string &path, DWORD code);
// Where every name beside the file starts: the path without its extension, then ".~".
std::string stemOf(const std::string &path);

// A new entry at Name, made by this process and by nobody else (an entry already there is
// neither opened nor followed), with Access and the given access list (null: what a new file
// in that folder gets).
HANDLE createSideFile(const std::string &name, DWORD access, DWORD flags,
                      SECURITY_ATTRIBUTES *security = nullptr);

// An access list by which only this user may open a file (LocalFree it); null on failure.
PSECURITY_DESCRIPTOR ownersOnly();

bool readAll(HANDLE file, std::string &text);
// Text becomes the whole content of File, from its start, and reaches the disk; every write
// checked.
bool overwrite(HANDLE file, std::string_view text);

// Under the lock. A backup that passes every check puts the old text back; it goes once it is
// of no more use, that is unless putting the old text back failed.
void mendUnderLock(const std::string &path);

// Under the lock: Text over the file at Path, its old text and the new first kept in the
// backup (none where the folder cannot take one: NoBackup). The reason of a failure, naming
// the file; empty on success.
std::string writeInPlace(const std::string &path, const std::string &text, bool noBackup);

} // namespace platform::profilebackup
