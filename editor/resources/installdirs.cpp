// SPDX-License-Identifier: MIT
#include "installdirs.h"

#include <string_view>

namespace hueloft {

std::string installedLibraryFolder(const std::string &programFolder)
{
    // The relative path comes from the install rules, so the two cannot drift apart.
    std::string folder = programFolder;
    std::string_view relative = HUELOFT_LIBRARY_FOLDER_FROM_PROGRAM;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    // The program's folder is its real path (no links), so "x/bin/.." is "x".
    while (relative.substr(0, 3) == "../" && folder.size() > 1) {
        relative.remove_prefix(3);
        const auto slash = folder.rfind('/');
        folder.erase(slash == 0 ? 1 : (slash == std::string::npos ? 0 : slash));
    }
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder + std::string(relative);
}

} // namespace hueloft
