// SPDX-License-Identifier: MIT
#pragma once

// Where an installed hueloft keeps its private library swatchy.

#include <string>

namespace hueloft {

// The folder that holds libswatchy once the program is installed, worked out from the folder
// of the program itself: <prefix>/bin/../lib/hueloft in the usual layout, whatever the prefix,
// with the ".." taken away. A plain build keeps the library beside the program instead, so the
// program's own folder is searched first. Both are bytes, as the file system names them.
std::string installedLibraryFolder(const std::string &programFolder);

} // namespace hueloft
