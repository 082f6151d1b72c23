// SPDX-License-Identifier: MIT
// The three entry points of the library. The caller is not necessarily C++ and has nowhere to
// catch an exception, so none leaves: a failure answers like a cancelled dialog or an unchanged
// store. A build without exceptions (Windows) has none to stop.

#include "swatchy/swatchy.h"

#include "swatchy/colordialog.h"
#include "swatchy/customcolors.h"

namespace {

// Runs Call; an exception from it gives Failed instead.
template<typename Result, typename Call> Result guarded(Call call, Result failed)
{
#if __cpp_exceptions
    try {
        return call();
    } catch (...) {
        return failed;
    }
#else
    (void)failed;
    return call();
#endif
}

} // namespace

extern "C" {

SWATCHY_EXPORT std::uint32_t SWATCHY_CALL ShowColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    return guarded([&] { return swatchy::showColorDialog(color, owner); }, color);
}

SWATCHY_EXPORT void SWATCHY_CALL SaveCustomColors(const char *path)
{
    guarded(
        [&] {
            swatchy::saveCustomColors(path);
            return true;
        },
        false);
}

SWATCHY_EXPORT void SWATCHY_CALL LoadCustomColors(const char *path)
{
    guarded(
        [&] {
            swatchy::loadCustomColors(path);
            return true;
        },
        false);
}

} // extern "C"
