// SPDX-License-Identifier: MIT
#include "swatchy/customcolors.h"

#include "platform/profile.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

// Character buffers, std::to_chars and fputs: nothing here needs the string or formatting code
// of the run-time, which the Windows build would otherwise carry in the library.

namespace swatchy {

namespace {

constexpr const char *Section = "Custom Colors";

// Zero-initialised before any code runs, so the store is black even for a caller that saves
// without loading first.
CustomColorStore store{};
// The store as the last load left it: a colour still the same when the store is saved was not
// changed by this copy.
CustomColorStore loaded{};

// A number in signed decimal, as a zero-terminated text.
struct Decimal
{
    char text[16];
};

Decimal decimal(std::int32_t value)
{
    Decimal result{};
    *std::to_chars(result.text, result.text + sizeof result.text - 1, value).ptr = '\0';
    return result;
}

struct Key
{
    char text[32];
};

Key keyFor(int index)
{
    Key key{"RGB_Color_"};
    std::strcat(key.text, decimal(index).text);
    return key;
}

void say(const char *text)
{
    std::fputs(text, stderr);
}

// Whether the file holds a colour for that key in the signed decimal the store writes.
bool heldAsDecimal(const char *path, const char *key)
{
    char text[16] = {};
    const std::uint32_t n = platform::GetPrivateProfileStringA(Section, key, "", text,
                                                               sizeof text, path);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text, text + n, value);
    if (n == 0 || n >= sizeof text - 1 || error != std::errc() || end != text + n ||
        std::strcmp(decimal(value).text, text) != 0)
        return false;
    if (std::int32_t(platform::GetPrivateProfileIntA(Section, key, value ^ 1, path)) == value)
        return true;
    // The number disagrees with the text: the text lost outer quotes ("\"5\"" reads as 0), or
    // another copy saved the file between the two reads, and then its value stays.
    char again[16] = {};
    platform::GetPrivateProfileStringA(Section, key, "", again, sizeof again, path);
    return std::strcmp(again, text) != 0;
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
        store[i] = platform::GetPrivateProfileIntA(Section, keyFor(i).text, 0, path);
    loaded = store;
}

void saveCustomColors(const char *path)
{
    if (!path)
        return;
    bool failed = false;
    for (int i = 0; i < CustomColorCount; ++i) {
        // Signed decimal: a value that came from the file as "-1" goes back as "-1".
        const Decimal value = decimal(static_cast<std::int32_t>(store[i]));
        // A colour this copy did not change is written only where the file holds none in
        // signed decimal: another copy of the program may have saved one meanwhile, and that
        // stays.
        if (store[i] == loaded[i] && heldAsDecimal(path, keyFor(i).text))
            continue;
        // The other keys are still tried; the store stays as it is either way. The caller has
        // no result to look at: a lost colour is said here, once per save.
        if (!platform::WritePrivateProfileStringA(Section, keyFor(i).text, value.text, path) &&
            !failed) {
            failed = true;
            const std::string &reason = platform::profileErrorText();
            say("swatchy: custom colours not saved: ");
            if (reason.empty()) {
                say("cannot write ");
                say(path);
            } else {
                say(reason.c_str());
            }
            say("\n");
            std::fflush(stderr);
        }
    }
}

} // namespace swatchy
