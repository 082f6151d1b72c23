// SPDX-License-Identifier: MIT
#pragma once

// How the POSIX profile functions put a settings file's new text on disk (profile.cpp decides
// what the text is; this decides how it gets there): a replacement through a private
// temporary file where the new file can be the same file to everyone, else a write in place
// protected by a backup in the user's own state folder; and the recovery of what a write
// killed half-way left. Internal to the profile library.

#include "platform/profile_text.h"

#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform::save {

// Takes away the temporary files that killed writes of the file Name left in the folder open
// as dirFd (those nobody holds).
void removeStaleTemporaries(int dirFd, const std::string &name);

// Puts back the old text of the file Name (in the folder open as dirFd, open and locked as
// fileFd) where this user's own write in place was killed half-way; drops backups that are
// no longer needed.
void recoverBackups(int dirFd, const std::string &name, int fileFd);

// Reads the file, applies the held Edits and puts the result on disk, under the file's lock.
// The one line that says why it failed ("cannot write FILE: reason"), or empty.
std::string flushFile(const std::string &fileName, std::vector<profile::Edit> edits);

} // namespace platform::save
