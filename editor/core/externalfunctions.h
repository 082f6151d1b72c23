// SPDX-License-Identifier: MIT
#pragma once

// The functions outside the editor that frmMain calls, as the handlers see them: the table of
// declared functions implements this, and the tests stand in a recorder.

#include <cstdint>
#include <string>

namespace hueloft {

class ExternalFunctions
{
public:
    virtual ~ExternalFunctions() = default;

    virtual int setWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y, int cx,
                             int cy, unsigned flags) = 0;
    // Strings are 8-bit (the system's ANSI code page on Windows, bytes elsewhere).
    virtual int writePrivateProfileString(const std::string &section, const std::string &key,
                                          const std::string &value, const std::string &path) = 0;
    virtual std::int32_t getPrivateProfileInt(const std::string &section, const std::string &key,
                                              int defaultValue, const std::string &path) = 0;
    // The key's text (at most 31 characters), empty when the file has none.
    virtual std::string getPrivateProfileString(const std::string &section, const std::string &key,
                                                const std::string &path) = 0;
    virtual std::uint32_t showColorDialog(std::uint32_t color, std::uintptr_t owner) = 0;
    virtual void saveCustomColors(const std::string &path) = 0;
    virtual void loadCustomColors(const std::string &path) = 0;
    // WritePrivateProfileStringA with section, key and value all null: the writes the
    // profile layer holds for Path reach the disk. Nonzero on success.
    virtual int flushPrivateProfile(const std::string &path) = 0;

    // Why the last failed profile write failed, in one line naming the file; empty if unknown.
    virtual std::string lastWriteError() const = 0;
};

// The values SetWindowPos takes for the always-on-top switch.
inline constexpr std::intptr_t kHwndTopMost = -1;
inline constexpr std::intptr_t kHwndNoTopMost = -2;
inline constexpr unsigned kSwpNoSize = 1;
inline constexpr unsigned kSwpNoMove = 2;
inline constexpr unsigned kSwpShowWindow = 64;

} // namespace hueloft
