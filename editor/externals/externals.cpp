// SPDX-License-Identifier: MIT
#include "editor/externals/externals.h"

#include "platform/library.h"
#include "swatchy/swatchy.h"

#include <cstdio>
#include <map>

namespace {

const std::array<DeclaredFunctions::Declaration, DeclaredFunctions::SlotCount> declarations{{
    {u"user32", "SetWindowPos"},
    {u"kernel32", "WritePrivateProfileStringA"},
    {u"kernel32", "GetPrivateProfileStringA"},
    {u"kernel32", "GetPrivateProfileIntA"},
    {u"swatchy.dll", "ShowColorDialog"},
    {u"swatchy.dll", "SaveCustomColors"},
    {u"swatchy.dll", "LoadCustomColors"},
}};

// The Windows functions' own types: their calling convention, 32-bit integers, 8-bit strings.
using SetWindowPosFn = int(PLATFORM_CALL *)(std::uintptr_t, std::intptr_t, int, int, int, int,
                                            unsigned);
using WritePrivateProfileStringFn = int(PLATFORM_CALL *)(const char *, const char *, const char *,
                                                         const char *);
using GetPrivateProfileIntFn = std::uint32_t(PLATFORM_CALL *)(const char *, const char *, int,
                                                              const char *);
using GetPrivateProfileStringFn = std::uint32_t(PLATFORM_CALL *)(const char *, const char *,
                                                                 const char *, char *,
                                                                 std::uint32_t, const char *);

std::string narrow(std::u16string_view text)
{
    return {text.begin(), text.end()}; // the declared names are ASCII
}

// The name a library is reported under: its base name, without ".dll".
std::string shownName(std::u16string_view library)
{
    return std::string(platform::withoutDllSuffix(narrow(library)));
}

} // namespace

struct DeclaredFunctions::Private
{
    platform::LibraryFolders folders;
    std::u16string swatchyName;
    std::array<void *, SlotCount> cache{};
    // A slot that failed once stays failed: it is neither looked up nor reported again.
    std::array<bool, SlotCount> failed{};
    std::string lastWriteError;
    std::function<void(const std::string &)> tell;

    // One record per library name; null when it could not be loaded, so that it is reported
    // once and every slot that needs it then fails quietly.
    std::map<std::u16string, platform::Library *> libraries;

    ~Private()
    {
        for (auto &[name, library] : libraries) {
            if (library)
                platform::forgetLibrary(library);
        }
    }

    std::u16string nameOf(std::u16string_view library) const
    {
        return library == u"swatchy.dll" ? swatchyName : std::u16string(library);
    }
    platform::Library *load(std::u16string_view library);
    void report(const std::string &line);
    void *bind(Slot slot);
};

void DeclaredFunctions::Private::report(const std::string &line)
{
    std::fputs((line + '\n').c_str(), stderr);
    std::fflush(stderr);
    if (tell)
        tell(line);
}

platform::Library *DeclaredFunctions::Private::load(std::u16string_view declared)
{
    const std::u16string name = nameOf(declared);
    const auto known = libraries.find(name);
    if (known != libraries.end())
        return known->second;

    std::string error;
    platform::Library *library = platform::loadLibrary(name, folders, error);
    if (!library && !error.empty())
        report("hueloft: cannot load " + shownName(name) + ": " + error);
    libraries[name] = library;
    return library;
}

void *DeclaredFunctions::Private::bind(Slot slot)
{
    if (cache[slot] || failed[slot])
        return cache[slot];

    const Declaration &declaration = declarations[slot];
    void *address = nullptr;
    if (platform::Library *library = load(declaration.library)) {
        address = platform::libraryEntry(*library, std::string(declaration.entry).c_str());
        if (!address) {
            const std::string file = platform::libraryFileName(*library);
            report("hueloft: " + shownName(nameOf(declaration.library)) +
                   (file.empty() ? std::string() : " (" + file + ")") + " has no entry point " +
                   std::string(declaration.entry));
        }
    }
    cache[slot] = address;
    failed[slot] = !address;
    return address;
}


DeclaredFunctions::DeclaredFunctions(const platform::LibraryFolders &folders,
                                     const std::string &swatchyName)
    : d(std::make_unique<Private>())
{
    d->folders = folders;
    d->swatchyName.assign(swatchyName.begin(), swatchyName.end());
}

// The records go, the libraries they loaded stay.
DeclaredFunctions::~DeclaredFunctions() = default;

int DeclaredFunctions::setWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y,
                                    int cx, int cy, unsigned flags)
{
    const auto function = reinterpret_cast<SetWindowPosFn>(d->bind(SetWindowPosSlot));
    return function ? function(window, insertAfter, x, y, cx, cy, flags) : 0;
}

// Every string crosses as a zero-terminated 8-bit copy that lives until the call returns.
int DeclaredFunctions::writePrivateProfileString(const std::string &section, const std::string &key,
                                                 const std::string &value, const std::string &path)
{
    const auto function =
        reinterpret_cast<WritePrivateProfileStringFn>(d->bind(WritePrivateProfileStringSlot));
    if (!function)
        return 0;
    const int written = function(section.c_str(), key.c_str(), value.c_str(), path.c_str());
    d->lastWriteError = written ? std::string() : platform::lastProfileWriteError(path);
    return written;
}

int DeclaredFunctions::flushPrivateProfile(const std::string &path)
{
    const auto function =
        reinterpret_cast<WritePrivateProfileStringFn>(d->bind(WritePrivateProfileStringSlot));
    if (!function)
        return 0;
    const int written = function(nullptr, nullptr, nullptr, path.c_str());
    if (!platform::profileFlushResultTells()) {
        // Each write above has already reached the file and said so if it failed; taking the
        // system's zero as a failure would report every good save as lost.
        d->lastWriteError.clear();
        return 1;
    }
    d->lastWriteError = written ? std::string() : platform::lastProfileWriteError(path);
    return written;
}

std::int32_t DeclaredFunctions::getPrivateProfileInt(const std::string &section,
                                                     const std::string &key, int defaultValue,
                                                     const std::string &path)
{
    const auto function =
        reinterpret_cast<GetPrivateProfileIntFn>(d->bind(GetPrivateProfileIntSlot));
    if (!function)
        return defaultValue;
    return static_cast<std::int32_t>(
        function(section.c_str(), key.c_str(), defaultValue, path.c_str()));
}

std::string DeclaredFunctions::getPrivateProfileString(const std::string &section,
                                                       const std::string &key,
                                                       const std::string &path)
{
    const auto function =
        reinterpret_cast<GetPrivateProfileStringFn>(d->bind(GetPrivateProfileStringSlot));
    char text[32] = {};
    if (!function)
        return {};
    const std::uint32_t n =
        function(section.c_str(), key.c_str(), "", text, sizeof text, path.c_str());
    return std::string(text, std::min<std::size_t>(n, sizeof text - 1));
}

std::uint32_t DeclaredFunctions::showColorDialog(std::uint32_t color, std::uintptr_t owner)
{
    const auto function = reinterpret_cast<ShowColorDialogFn>(d->bind(ShowColorDialogSlot));
    return function ? function(color, owner) : color;
}

void DeclaredFunctions::saveCustomColors(const std::string &path)
{
    // A library that could not load the custom colours holds sixteen zeros, not the user's
    // colours: saving them would overwrite the file's section with black.
    if (d->failed[LoadCustomColorsSlot])
        return;
    const auto function = reinterpret_cast<SaveCustomColorsFn>(d->bind(SaveCustomColorsSlot));
    if (function)
        function(path.c_str());
}

void DeclaredFunctions::loadCustomColors(const std::string &path)
{
    const auto function = reinterpret_cast<LoadCustomColorsFn>(d->bind(LoadCustomColorsSlot));
    if (function)
        function(path.c_str());
}

void DeclaredFunctions::tellProblemsTo(std::function<void(const std::string &)> tell)
{
    d->tell = std::move(tell);
}

std::string DeclaredFunctions::lastWriteError() const
{
    return d->lastWriteError;
}

const void *DeclaredFunctions::boundAddress(Slot slot) const
{
    if (slot < 0 || slot >= SlotCount)
        return nullptr;
    return d->cache[slot];
}
