// SPDX-License-Identifier: MIT
// The real swatchy store and dialog behind an export list that lacks one entry point, as an
// older or mismatched copy of the library might: built once without LoadCustomColors
// (SWATCHY_WITHOUT_LOAD) and once without SaveCustomColors (SWATCHY_WITHOUT_SAVE).

#include "swatchy/swatchy.h"

#include "swatchy/colordialog.h"
#include "swatchy/customcolors.h"

extern "C" {

SWATCHY_EXPORT std::uint32_t SWATCHY_CALL ShowColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    return swatchy::showColorDialog(color, owner);
}

#ifndef SWATCHY_WITHOUT_SAVE
SWATCHY_EXPORT void SWATCHY_CALL SaveCustomColors(const char *path)
{
    swatchy::saveCustomColors(path);
}
#endif

#ifndef SWATCHY_WITHOUT_LOAD
SWATCHY_EXPORT void SWATCHY_CALL LoadCustomColors(const char *path)
{
    swatchy::loadCustomColors(path);
}
#endif

} // extern "C"
