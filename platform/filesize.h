// SPDX-License-Identifier: MIT
#pragma once

// The size of a file, asked before it is opened.

#include <cstdint>
#include <string>

namespace platform {

// The size in bytes of the file at path (8-bit, as the profile functions take it, links
// followed); -1 when there is no such file or the system cannot tell.
std::int64_t fileSize(const std::string &path);

} // namespace platform
