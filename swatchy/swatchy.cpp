// SPDX-License-Identifier: MIT
// The three entry points of the library. The caller is not necessarily C++ and has nowhere to
// catch an exception, so none leaves: a failure answers like a cancelled dialog or an unchanged
// store.

#include "swatchy/swatchy.h"

#include "swatchy/colordialog.h"
#include "swatchy/customcolors.h"

extern "C" {

SWATCHY_EXPORT std::uint32_t SWATCHY_CALL ShowColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    try {
        return swatchy::showColorDialog(color, owner);
    } catch (...) {
        return color;
    }
}

SWATCHY_EXPORT void SWATCHY_CALL SaveCustomColors(const char *path)
{
    try {
        swatchy::saveCustomColors(path);
    } catch (...) {
    }
}

SWATCHY_EXPORT void SWATCHY_CALL LoadCustomColors(const char *path)
{
    try {
        swatchy::loadCustomColors(path);
    } catch (...) {
    }
}

} // extern "C"
