// SPDX-License-Identifier: MIT
#pragma once

// Which entries of a folder the program uses on Windows: one rule for the settings file, a link
// at its name, the names the save makes beside it, and the libraries.
//
// A folder is private when no entry of its access list (inherited ones and generic rights
// included) lets anyone but this user and the system's administrators (SYSTEM, Administrators,
// TrustedInstaller) create or remove names in it; a folder without a list lets everyone, and
// entries that deny are not weighed (what one allows counts). Any other folder is shared. In a private folder what is there is used. In a shared folder an
// entry is used only when it is this user's (or an administrator's), a regular file with one
// name, or a link this user made; anything else is unusable, and nothing is written into it.
//
// Windows has no sticky folders. Wine shows neither the Unix sticky bit nor symbolic links: it
// opens a link's target, so a link is told by the path its handle resolves to, and since Wine
// does not say who made one, a link in a shared folder counts as a stranger's. Wine shows the
// Unix owner (another Unix user as ANONYMOUS LOGON) and the others' bits, not the group's.

#include <windows.h>

#include <string>

namespace platform {

// The path in the system's ANSI code page, as the wide-character functions take it; and back,
// empty when a character has no spelling there.
std::wstring wide(const std::string &ansi);
std::string ansiOf(const std::wstring &text);

// The folder of the running program, whatever its length; empty when the system does not say.
std::wstring programFolderWide();

// How long a file held by another program (a backup tool, a virus scanner, another save) is
// waited for: far longer than any real holder, short enough that the program still ends.
constexpr ULONGLONG kHeldWaitMs = 10000;

// CreateFileW, tried again every 5 ms for kHeldWaitMs while another program holds the file
// without sharing it; with CREATE_NEW, also while the name is there (another process's, or
// going as its holder lets it go: access denied while the name is still there).
HANDLE openWaiting(const std::wstring &path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags, SECURITY_ATTRIBUTES *security = nullptr);

// This user's security identifier as text ("S-1-5-21-..."); empty when the system does not say.
std::wstring userSid();

// Whether File and the open entry Handle are one file (volume and index).
bool sameFile(const BY_HANDLE_FILE_INFORMATION &file, HANDLE handle);

// The entry at a path as the rule finds it.
struct Entry
{
    HANDLE handle = INVALID_HANDLE_VALUE; // open with the access asked; the caller closes it
    DWORD error = 0;       // why it could not be opened (ERROR_FILE_NOT_FOUND: none there)
    std::string refusal;   // why the rule refuses it; then the handle is closed
    std::wstring reached;  // the path, or the file that a link of this user's there names
    BY_HANDLE_FILE_INFORMATION info{};
};

// Opens the entry at Path with Access and Share, never through a link the rule refuses;
// FollowLinks false refuses every link (the names the save makes are never links).
Entry openEntry(const std::wstring &path, DWORD access, DWORD share, bool followLinks);

// Removes the open file: only what this process opened is ever removed.
bool removeOpened(HANDLE file);

} // namespace platform
