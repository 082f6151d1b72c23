// SPDX-License-Identifier: MIT
#pragma once

// The exit's save on Windows, where the system's profile functions rewrite the whole file at
// every write: the writes go to a private copy made beside the file, and one replacement puts
// the copy in place. A kill at any instant leaves the old file or the whole new one, and two
// processes saving the same file are ordered by a lock, so each applies its writes to the
// other's whole file.
//
// The lock is a new file beside the settings file, "HUELOFT.~lk", held open without sharing and
// removed by the system when its handle closes (a killed process included). It is waited for
// 10 s at most, as on Linux; then the save goes on: the replacement is atomic either way.
//
// A link of this user's at the settings name stays a link: the file it names is saved. What
// the rule of fileplace_win32.h refuses is neither read nor written.
//
// The file stays the same file to everyone: the copy replaces it only when it was made with
// the old file's owner and access list as they are; no list is ever given to a file, and a
// copy that would not be the same is made for this user alone. Where a new file could not be
// the same (a second hard link, another owner or list, a replacement refused), the text is
// written in place, with a backup that lets a killed write be put right at the next use of
// the file.
//
// The profile functions report success for writes a full drive cut short: the room for the
// exit's writes is had once before them, and the copy is read back before it replaces the
// file; it must keep every section and key of the old text, and the drive must not be full.
//
// Paths are the ANSI ones the profile functions take.

#include <windows.h>

#include <string>

namespace platform {

class ProfileSave
{
public:
    ProfileSave() = default;
    // A save not finished leaves the file as it was and releases the lock.
    ~ProfileSave();
    ProfileSave(const ProfileSave &) = delete;
    ProfileSave &operator=(const ProfileSave &) = delete;

    // Takes the lock of the file at Path, mends a write in place that was killed, removes
    // copies left by killed saves, and makes the private copy. The reason of a failure, naming
    // the file; empty on success.
    std::string begin(const std::string &path);
    // The copy the profile functions (and swatchy) are to write; empty before begin.
    const std::string &copyPath() const { return m_copy; }
    // Keep: the copy is flushed and put in place; otherwise it is removed. The lock is released
    // either way. The reason of a failure, empty on success.
    std::string finish(bool keep);

private:
    std::string m_path; // the settings file, or the file this user's link there names
    std::string m_copy;
    std::string m_temporary; // the temporary folder's stem, where the file's folder takes no copy
    BY_HANDLE_FILE_INFORMATION m_copyFile{}; // the copy as made, to know it again
    std::string m_oldText; // the file's text at the begin
    DWORD m_attributes = 0;
    bool m_inPlace = false;  // the copy cannot become the file: its text goes over it
    bool m_noBackup = false; // nor can the folder take a backup
    void *m_lock = nullptr;
};

// At start, before the first read: a write in place killed half-way is put right.
void mendInterruptedSave(const std::string &path);

} // namespace platform
