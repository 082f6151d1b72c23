// SPDX-License-Identifier: MIT
#include "swatchy/customcolors.h"

#include "platform/profile.h"

#include <cstdio>
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
    std::string failure;
    for (int i = 0; i < CustomColorCount; ++i) {
        // Signed decimal: a value that came from the file as "-1" goes back as "-1".
        const std::string value = std::to_string(static_cast<std::int32_t>(store[i]));
        // The other keys are still tried; the store stays as it is either way.
        if (!platform::WritePrivateProfileStringA(Section, keyFor(i).c_str(), value.c_str(), path)
            && failure.empty()) {
            failure = platform::profileErrorText();
            if (failure.empty())
                failure = std::string("cannot write ") + path;
        }
    }
    // The caller has no result to look at: a lost colour is said here, once per save.
    if (!failure.empty()) {
        std::fprintf(stderr, "swatchy: custom colours not saved: %s\n", failure.c_str());
        std::fflush(stderr);
    }
}

} // namespace swatchy
