// SPDX-License-Identifier: MIT
#pragma once

// The exit's save on Windows, where the system's profile functions rewrite the whole file at
// every write: the writes go to a private copy made beside the file, and one replacement puts
// the copy in place. A kill at any instant leaves the old file or the whole new one, and two
// processes saving the same file are ordered by a lock, so each applies its writes to the
// other's whole file.
//
// The lock is a file beside the settings file, "<name>.lock", held open without sharing and
// deleted by the system when its handle closes (a killed process included). It is waited for
// 10 s at most, as on Linux; then the save goes on: the replacement is atomic either way.
//
// The file stays the same file to everyone: the copy takes the old file's attributes and
// access list before it replaces it. Where a new file could not be the same (a second hard
// link, an owner other than this user, an access list that cannot be given, a replacement
// refused), the text is written in place: the old text and the new first go to a backup beside
// the file, flushed, then the new text is written over the file, and the backup is removed. A
// kill in between is put right at the next use of the file (the next start, or the next save,
// under the lock): a file torn between the two texts, last written when that write was, gets
// the old text back. Any other backup (planted, or made stale by a later save) is removed.
//
// Paths are the ANSI ones the profile functions take.

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
    std::string m_path;
    std::string m_copy;
    void *m_lock = nullptr;
};

// At start, before the first read: a write in place killed half-way is put right.
void mendInterruptedSave(const std::string &path);

} // namespace platform
