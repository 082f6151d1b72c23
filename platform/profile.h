// SPDX-License-Identifier: MIT
#pragma once

// The Windows profile (INI file) functions, for systems that do not have them.
//
// Same arguments and results as the Windows functions of the same names, so that settings
// files move between builds without surprises: names match without regard to case (ASCII),
// untouched bytes of the file are kept exactly, new keys go after the last key of their
// section, an existing file keeps its own line ends. File names are 8-bit strings handed to
// the system unchanged. Every call reads the file again, except that a file of a megabyte or
// more is kept between reads for as long as its identity, size and time stamps stay the same
// (so that the two dozen reads of a start-up scan it once); a change made by someone else
// shows at the next call, unless it keeps the size and lands within the same tick of the
// file system's clock.
//
// Unlike the Windows functions, every write replaces the file atomically (a crash at any
// instant leaves the old or the new file, never a torn one), and a write that fails leaves
// the file as it was and returns 0; profileErrorText() then tells why. A symbolic link is
// written through to its target, and the file keeps its permissions.

#include <cstdint>
#include <string>

namespace platform {

// The integer value of Key in Section, or Default when the file, section, key or value is
// missing (also for "Key="). Blanks, an optional sign, then the digits up to the first
// non-digit; the digits wrap modulo 2^32 and the sign applies to the 32-bit pattern; "0x"
// reads hexadecimal; a value without any digit reads 0.
std::uint32_t GetPrivateProfileIntA(const char *section, const char *key, int defaultValue,
                                    const char *fileName);

// Copies the value of Key (outer quotes removed) or Default (trailing spaces removed; null
// is "") into Returned, at most Size - 1 characters and a terminating zero; returns the number
// of characters copied. Listing the names of a file (a null Section or Key on Windows) is not
// provided: a null Section or Key gives Default.
std::uint32_t GetPrivateProfileStringA(const char *section, const char *key,
                                       const char *defaultValue, char *returned, std::uint32_t size,
                                       const char *fileName);

// Sets Key in Section to Value, written exactly as given; a null Value deletes the key, a
// null Key the whole section. Returns nonzero on success (also when there was nothing to
// delete or the value was already there; the file is then not touched), 0 on failure (the
// file is then unchanged).
int WritePrivateProfileStringA(const char *section, const char *key, const char *value,
                               const char *fileName);

// Why the last failed write of this thread failed, in one line naming the file ("cannot
// write /x/HUELOFT.INI: Permission denied"); empty after a successful one.
const std::string &profileErrorText();

} // namespace platform
