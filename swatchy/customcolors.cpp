// SPDX-License-Identifier: MIT
#include "swatchy/customcolors.h"

#include "platform/profile.h"

#include <string>

namespace swatchy {

namespace {

constexpr const char *Section = "Custom Colors";

// Zero-initialised before any code runs, so the store is black even for a caller that saves
// without loading first.
CustomColorStore store{};

std::string keyFor(int index)
{
    return "RGB_Color_" + std::to_string(index);
}

} // namespace

CustomColorStore &customColors()
{
    return store;
}

void loadCustomColors(const char *path)
{
    if (!path)
        return;
    for (int i = 0; i < CustomColorCount; ++i)
        store[i] = platform::GetPrivateProfileIntA(Section, keyFor(i).c_str(), 0, path);
}

void saveCustomColors(const char *path)
{
    if (!path)
        return;
    for (int i = 0; i < CustomColorCount; ++i) {
        // Signed decimal: a value that came from the file as "-1" goes back as "-1".
        const std::string value = std::to_string(static_cast<std::int32_t>(store[i]));
        // A failed write has nobody to tell; the store stays as it is either way.
        platform::WritePrivateProfileStringA(Section, keyFor(i).c_str(), value.c_str(), path);
    }
}

} // namespace swatchy
