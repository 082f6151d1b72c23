// SPDX-License-Identifier: MIT
#pragma once

// The functions outside the editor that it calls: the window-stacking and profile functions
// of the platform and the three entry points of the library swatchy. Each is declared in a
// table by library and entry name and bound by name at its first call; the address is then
// kept in the function's own slot. A library, once loaded, stays loaded until exit: swatchy
// keeps its custom colours in memory from start-up to shut-down. On Windows the libraries are
// the system's own and swatchy.dll; elsewhere platform/ stands in for user32, and kernel32 is
// its shared profile library, loaded like swatchy from the program's own folders.
//
// When swatchy or one of its entry points cannot be found, one line on standard error names
// the library (or entry) and the reason, and the call does nothing: LoadCustomColors and
// SaveCustomColors leave the file alone, ShowColorDialog returns the colour it was given.
// SaveCustomColors also does nothing when LoadCustomColors could not be bound: the library's
// store then holds zeros, not the colours of the file.

#include "editor/core/externalfunctions.h"
#include "platform/library.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class DeclaredFunctions : public hueloft::ExternalFunctions
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

    // Folders: where the program's libraries are (bytes, as the file system names them): on
    // Linux swatchy and the profile library are looked for in the program's folder, then in the
    // installation's private folder; on Windows swatchy.dll comes from the program's folder
    // whatever is passed. SwatchyName: another name for swatchy ("swatchy" gives
    // libswatchy.so, swatchy.dll), so that the tests can stand in a library of their own or
    // one that exists nowhere.
    explicit DeclaredFunctions(const platform::LibraryFolders &folders,
                               const std::string &swatchyName = "swatchy.dll");
    ~DeclaredFunctions() override;
    DeclaredFunctions(const DeclaredFunctions &) = delete;
    DeclaredFunctions &operator=(const DeclaredFunctions &) = delete;

    int setWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                     unsigned flags) override;
    int writePrivateProfileString(const std::string &section, const std::string &key,
                                  const std::string &value, const std::string &path) override;
    std::int32_t getPrivateProfileInt(const std::string &section, const std::string &key,
                                      int defaultValue, const std::string &path) override;
    std::string getPrivateProfileString(const std::string &section, const std::string &key,
                                        const std::string &path) override;
    std::uint32_t showColorDialog(std::uint32_t color, std::uintptr_t owner) override;
    void saveCustomColors(const std::string &path) override;
    void loadCustomColors(const std::string &path) override;
    int flushPrivateProfile(const std::string &path) override;
    std::string lastWriteError() const override;

    // Each line said on standard error also goes to Tell (the window, which shows it): a
    // program started from a menu has no terminal.
    void tellProblemsTo(std::function<void(const std::string &)> tell);

    // The address cached in a slot, null before its first call or when binding failed.
    const void *boundAddress(Slot slot) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
