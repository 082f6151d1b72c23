// SPDX-License-Identifier: MIT
// On Windows the profile functions are the system's own: every call goes to kernel32, so the
// settings file behaves exactly as every other Windows program's INI file does.

#include "platform/profile.h"

#include "platform/systemmessage_win32.h"

#include <windows.h>

#include <utility>

namespace platform {

namespace {

// Per thread, as GetLastError is. The system's own thread slots: the compiler's thread_local
// would bring a threads library into each binary. A thread's text is made at its first failed
// write and kept until the process ends.
const DWORD errorSlot = TlsAlloc();
const std::string noError;

std::string *lastErrorOfThread()
{
    return errorSlot == TLS_OUT_OF_INDEXES ? nullptr
                                           : static_cast<std::string *>(TlsGetValue(errorSlot));
}

void setLastError(std::string text)
{
    std::string *error = lastErrorOfThread();
    if (!error && !text.empty() && errorSlot != TLS_OUT_OF_INDEXES) {
        error = new std::string;
        TlsSetValue(errorSlot, error);
    }
    if (error)
        *error = std::move(text);
}

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
        setLastError({});
    else
        setLastError(std::string("cannot write ") + (fileName ? fileName : "(no file)") + ": " +
                     systemMessage(GetLastError()));
    return written;
}

const std::string &profileErrorText()
{
    const std::string *error = lastErrorOfThread();
    return error ? *error : noError;
}

} // namespace platform
