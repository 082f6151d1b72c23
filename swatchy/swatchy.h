// SPDX-License-Identifier: MIT
#pragma once

// The exported interface of the library swatchy: the colour dialog and its sixteen custom
// colours. Colours are 32-bit values laid out 0x00BBGGRR (red in the low byte). Paths are
// zero-terminated 8-bit strings that the caller owns for the duration of the call.
//
// The editor does not link this library: it loads it by name and binds these entry points at
// their first call, so the function pointer types below are part of the interface too.

#include <cstdint>

#if defined(_WIN32)
#  define SWATCHY_CALL __stdcall
#  if defined(SWATCHY_BUILDING)
#    define SWATCHY_EXPORT
#  else
#    define SWATCHY_EXPORT __declspec(dllimport)
#  endif
#else
#  define SWATCHY_CALL
#  define SWATCHY_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Shows the colour dialog modal to the window whose native id is Owner, fully opened, with
// Color selected (Owner 0: a dialog of its own). Returns the colour chosen with OK; on Cancel,
// close or any failure returns Color unchanged, bit for bit; an Owner that is no window of
// this process is such a failure, and no dialog opens. The custom colours keep whatever the
// dialog did to them.
SWATCHY_EXPORT std::uint32_t SWATCHY_CALL ShowColorDialog(std::uint32_t color,
                                                          std::uintptr_t owner);

// Writes all sixteen custom colours to section "Custom Colors" of the INI file Path.
SWATCHY_EXPORT void SWATCHY_CALL SaveCustomColors(const char *path);

// Reads all sixteen custom colours from section "Custom Colors" of the INI file Path; a
// missing file, section or key gives 0.
SWATCHY_EXPORT void SWATCHY_CALL LoadCustomColors(const char *path);

using ShowColorDialogFn = std::uint32_t(SWATCHY_CALL *)(std::uint32_t, std::uintptr_t);
using SaveCustomColorsFn = void(SWATCHY_CALL *)(const char *);
using LoadCustomColorsFn = void(SWATCHY_CALL *)(const char *);
}
