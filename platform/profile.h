// SPDX-License-Identifier: MIT
#pragma once

// The Windows profile (INI file) functions, for systems that do not have them.
//
// Same arguments and results as the Windows functions of the same names, so that settings
// files move between builds without surprises: names match without regard to case (ASCII),
// untouched bytes of the file are kept exactly, new keys go after the last key of their
// section, an existing file keeps its own line ends. File names are 8-bit strings handed to
// the system unchanged.
//
// As on Windows, writes are held in memory, one list per file for the whole process (this is
// one shared library that the program and its libraries all use), and reads see them. They
// reach the disk together at the flush, WritePrivateProfileStringA with section, key and
// value all null for that file, and at the normal end of the process: one read of the file,
// the held writes applied, one replacement. The replacement is atomic (a crash at any instant
// leaves the old or the whole new file, never a torn one) and made under an exclusive lock, so
// that two processes flushing together each apply their writes to the other's whole file.
// The lock is waited for 10 s at most; nothing of a write can be opened by another user before
// it is whole. A large file (a megabyte or more) is kept between reads for as long as its
// identity, size and time stamps stay the same; a change made by someone else shows at the
// next call.
//
// The file stays the same file to everyone: the new one takes the old one's owner, group,
// permissions and extended attributes (the ACL among them). Where a new file could not (other
// hard links, an owner or attribute this process cannot give, a mount on the name, a sticky
// folder), the text is written in place, the old text kept in a synced backup of this user's
// until the new text is whole; a write killed half-way is put back at the next use of the file.
//
// Only a regular file (or a link to one) of at most kProfileFileSizeLimit bytes is read or
// written: a device, FIFO, socket or larger file reads as a missing file and every write to it
// fails. A file that starts with a UTF-16 byte-order mark is read and written as UTF-16, as on
// Windows: the 8-bit strings are UTF-8 there. A write that fails returns 0 and leaves the file
// as it was; profileErrorText() then tells why. A symbolic link is written through to its
// target.

#include <cstdint>
#include <string>

#if defined(HUELOFT_PROFILE_BUILDING) && !defined(_WIN32)
#define HUELOFT_PROFILE_EXPORT __attribute__((visibility("default")))
#else
#define HUELOFT_PROFILE_EXPORT
#endif

namespace platform {

// The largest file read or written as a settings file: far above any real one (a few hundred
// bytes; the editor's own keys and sixteen custom colours), low enough that reading it whole
// cannot exhaust memory. A larger file is unusable: neither read nor replaced.
inline constexpr std::uint64_t kProfileFileSizeLimit = 64ull * 1024 * 1024;

inline std::string tooLargeText(std::int64_t size)
{
    return "it is too large for a settings file (" + std::to_string(size) +
           " bytes, the limit is " + std::to_string(kProfileFileSizeLimit >> 20) + " MiB)";
}

// The integer value of Key in Section, or Default when the file, section, key or value is
// missing (also for "Key="). Blanks, an optional sign, then the digits up to the first
// non-digit; the digits wrap modulo 2^32 and the sign applies to the 32-bit pattern; "0x"
// reads hexadecimal; a value without any digit reads 0.
HUELOFT_PROFILE_EXPORT std::uint32_t GetPrivateProfileIntA(const char *section, const char *key, int defaultValue,
                                    const char *fileName);

// Copies the value of Key (outer quotes removed) or Default (trailing spaces removed; null
// is "") into Returned, at most Size - 1 characters and a terminating zero; returns the number
// of characters copied. Listing the names of a file (a null Section or Key on Windows) is not
// provided: a null Section or Key gives Default.
HUELOFT_PROFILE_EXPORT std::uint32_t GetPrivateProfileStringA(const char *section, const char *key,
                                       const char *defaultValue, char *returned, std::uint32_t size,
                                       const char *fileName);

// Sets Key in Section to Value, written exactly as given; a null Value deletes the key, a
// null Key the whole section. The write is held until the flush; it fails at once (result 0)
// when the file could not be written then: its folder missing, the file or folder read-only,
// the file not a regular one. Section, Key and Value all null flush the held writes of
// FileName (of every file when FileName is null too): nonzero when they reached the disk or
// changed nothing, 0 when the file could not be replaced (they are dropped all the same).
HUELOFT_PROFILE_EXPORT int WritePrivateProfileStringA(const char *section, const char *key, const char *value,
                               const char *fileName);

// Why the last failed write or flush of this thread failed, in one line naming the file
// ("cannot write /x/HUELOFT.INI: Permission denied"); empty after a successful one.
HUELOFT_PROFILE_EXPORT const std::string &profileErrorText();

} // namespace platform
