// SPDX-License-Identifier: MIT
// The profile functions under the plain names kernel32 gives them, as the editor's table
// declares them: the program looks them up by name in this library, as GetProcAddress would.

#include "platform/profile.h"

extern "C" {

HUELOFT_PROFILE_EXPORT std::uint32_t GetPrivateProfileIntA(const char *section, const char *key,
                                                           int defaultValue, const char *fileName)
{
    return platform::GetPrivateProfileIntA(section, key, defaultValue, fileName);
}

HUELOFT_PROFILE_EXPORT std::uint32_t GetPrivateProfileStringA(const char *section, const char *key,
                                                              const char *defaultValue,
                                                              char *returned, std::uint32_t size,
                                                              const char *fileName)
{
    return platform::GetPrivateProfileStringA(section, key, defaultValue, returned, size, fileName);
}

HUELOFT_PROFILE_EXPORT int WritePrivateProfileStringA(const char *section, const char *key,
                                                      const char *value, const char *fileName)
{
    return platform::WritePrivateProfileStringA(section, key, value, fileName);
}

// platform::profileErrorText(), for a caller that finds this library by name.
HUELOFT_PROFILE_EXPORT const char *hueloft_profileErrorText()
{
    return platform::profileErrorText().c_str();
}

} // extern "C"
