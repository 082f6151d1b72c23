// SPDX-License-Identifier: MIT
// On Windows the profile functions are the system's own: every call goes to kernel32, so the
// settings file behaves exactly as every other Windows program's INI file does.

#include "platform/profile.h"

#include "platform/systemmessage_win32.h"

#include <windows.h>

namespace platform {

namespace {

thread_local std::string lastError;

} // namespace

std::uint32_t GetPrivateProfileIntA(const char *section, const char *key, int defaultValue,
                                    const char *fileName)
{
    return ::GetPrivateProfileIntA(section, key, defaultValue, fileName);
}

std::uint32_t GetPrivateProfileStringA(const char *section, const char *key,
                                       const char *defaultValue, char *returned, std::uint32_t size,
                                       const char *fileName)
{
    return ::GetPrivateProfileStringA(section, key, defaultValue, returned, size, fileName);
}

int WritePrivateProfileStringA(const char *section, const char *key, const char *value,
                               const char *fileName)
{
    const BOOL written = ::WritePrivateProfileStringA(section, key, value, fileName);
    if (written)
        lastError.clear();
    else
        lastError = std::string("cannot write ") + (fileName ? fileName : "(no file)") + ": " +
                    systemMessage(GetLastError());
    return written;
}

const std::string &profileErrorText()
{
    return lastError;
}

} // namespace platform
