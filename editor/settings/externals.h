// SPDX-License-Identifier: MIT
#pragma once

// The functions outside the editor that it calls: the window-stacking and profile functions
// of the platform and the three entry points of the library swatchy. Each is declared in a
// table by library and entry name and bound by name at its first call; the address is then
// kept in the function's own slot. A library, once loaded, stays loaded until exit: swatchy
// keeps its custom colours in memory from start-up to shut-down.
//
// When swatchy or one of its entry points cannot be found, one line on standard error names
// the library (or entry) and the reason, and the call does nothing: LoadCustomColors and
// SaveCustomColors leave the file alone, ShowColorDialog returns the colour it was given.
// SaveCustomColors also does nothing when LoadCustomColors could not be bound: the library's
// store then holds zeros, not the colours of the file.

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class DeclaredFunctions
{
public:
    enum Slot : int {
        SetWindowPosSlot,
        WritePrivateProfileStringSlot,
        GetPrivateProfileStringSlot,
        GetPrivateProfileIntSlot,
        ShowColorDialogSlot,
        SaveCustomColorsSlot,
        LoadCustomColorsSlot,
        SlotCount
    };

    struct Declaration
    {
        std::u16string_view library; // "user32", "kernel32", "swatchy.dll"
        std::string_view entry;      // looked up exactly, case included
    };
    static const std::array<Declaration, SlotCount> &table();

    // libraryFolder is searched first for swatchy (normally the program's own folder), then
    // the system's usual search applies.
    explicit DeclaredFunctions(const QString &libraryFolder);
    explicit DeclaredFunctions(const std::string &libraryFolder);
    // The same, with swatchy looked for under another base name ("swatchy" gives libswatchy.so,
    // swatchy.dll): lets the tests stand in a library of their own or one that exists nowhere.
    DeclaredFunctions(const QString &libraryFolder, const QString &swatchyBaseName);
    ~DeclaredFunctions();
    DeclaredFunctions(const DeclaredFunctions &) = delete;
    DeclaredFunctions &operator=(const DeclaredFunctions &) = delete;

    int setWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y, int cx,
                     int cy, unsigned flags);
    // Paths are the system's bytes; the QString forms encode a plain-text path for callers
    // that have one.
    int writePrivateProfileString(const QString &section, const QString &key,
                                  const QString &value, const std::string &path);
    std::int32_t getPrivateProfileInt(const QString &section, const QString &key,
                                      int defaultValue, const std::string &path);
    // WritePrivateProfileStringA with section, key and value all null: the held writes to
    // Path reach the disk. Nonzero on success.
    int flushPrivateProfile(const std::string &path);
    std::uint32_t showColorDialog(std::uint32_t color, std::uintptr_t owner);
    void saveCustomColors(const std::string &path);
    void loadCustomColors(const std::string &path);
    int writePrivateProfileString(const QString &section, const QString &key,
                                  const QString &value, const QString &path);
    std::int32_t getPrivateProfileInt(const QString &section, const QString &key,
                                      int defaultValue, const QString &path);
    void saveCustomColors(const QString &path);
    void loadCustomColors(const QString &path);

    // The address cached in a slot, null before its first call or when binding failed.
    const void *boundAddress(Slot slot) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
