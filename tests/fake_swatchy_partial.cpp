// SPDX-License-Identifier: MIT
// A stand-in for the library swatchy that lacks ShowColorDialog. The two entry points it has
// append their names to the file they are given, so a test sees which ran and with what path.

#include "swatchy/swatchy.h"

#include <cstdio>

namespace {

void note(const char *path, const char *entry)
{
    if (!path)
        return;
    if (std::FILE *file = std::fopen(path, "ab")) {
        std::fputs(entry, file);
        std::fputc('\n', file);
        std::fclose(file);
    }
}

} // namespace

extern "C" {

SWATCHY_EXPORT void SWATCHY_CALL SaveCustomColors(const char *path)
{
    note(path, "SaveCustomColors");
}

SWATCHY_EXPORT void SWATCHY_CALL LoadCustomColors(const char *path)
{
    note(path, "LoadCustomColors");
}

} // extern "C"
