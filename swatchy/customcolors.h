// SPDX-License-Identifier: MIT
#pragma once

// The sixteen custom colours that the colour dialog shows and edits, and their section of the
// caller's INI file. One store per process, sixteen zeros until the caller loads it; any 32-bit
// value read from the file is kept and written back unchanged.

#include <array>
#include <cstdint>

namespace swatchy {

inline constexpr int CustomColorCount = 16;
using CustomColorStore = std::array<std::uint32_t, CustomColorCount>;

CustomColorStore &customColors();

// Every entry is overwritten: a missing file, section or key gives 0. A null path does nothing.
void loadCustomColors(const char *path);

// Every key whose colour changed since the load is written, zeros included; any other key only
// where the file holds none in signed decimal (another copy of the program may have saved it
// meanwhile, and that stays). The rest of the file is left alone. A null path does nothing.
void saveCustomColors(const char *path);

} // namespace swatchy
