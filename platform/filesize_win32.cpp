// SPDX-License-Identifier: MIT
#include "platform/filesize.h"

#include <windows.h>

namespace platform {

std::int64_t fileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return std::int64_t(std::uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

} // namespace platform
