// SPDX-License-Identifier: MIT
// The colour dialog on Windows: the system's own, through ChooseColorA.

#include "swatchy/colordialog.h"

#include "swatchy/customcolors.h"

#include <windows.h>

#include <commdlg.h>

namespace swatchy {

namespace {

// One record per process, zero until the first call and reused by every call. Each call sets
// the same five fields again; the others (instance, custom data, hook, template) stay zero.
CHOOSECOLORA record{};

// The dialog reads and edits the store in place, as an array of COLORREF.
static_assert(sizeof(COLORREF) == sizeof(CustomColorStore::value_type));
static_assert(sizeof(CustomColorStore) == 16 * sizeof(COLORREF));

} // namespace

std::uint32_t showColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    record.lStructSize = sizeof record; // 36 in the 32-bit build, 72 in the 64-bit one
    record.hwndOwner = reinterpret_cast<HWND>(owner);
    record.lpCustColors = reinterpret_cast<COLORREF *>(customColors().data());
    record.Flags = CC_RGBINIT | CC_FULLOPEN;
    record.rgbResult = color;
    // Cancel, a closed dialog and one that could not open (an invalid owner) all give zero:
    // the caller gets its own colour back, high byte included.
    return ChooseColorA(&record) ? static_cast<std::uint32_t>(record.rgbResult) : color;
}

} // namespace swatchy
