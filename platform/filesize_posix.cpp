// SPDX-License-Identifier: MIT
#include "platform/filesize.h"

#include <sys/stat.h>

namespace platform {

std::int64_t fileSize(const std::string &path)
{
    struct stat st
    {
    };
    return !path.empty() && ::stat(path.c_str(), &st) == 0 ? std::int64_t(st.st_size) : -1;
}

} // namespace platform
