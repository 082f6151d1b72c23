// SPDX-License-Identifier: MIT
#pragma once

// Where an installed hueloft keeps its private library swatchy.

#include <QString>

namespace hueloft {

// The folder that holds libswatchy once the program is installed, worked out from the folder
// of the program itself (QCoreApplication::applicationDirPath()): <prefix>/bin/../lib/hueloft
// in the usual layout, whatever the prefix. A plain build keeps the library beside the program
// instead, so the program's own folder is searched first.
QString installedLibraryFolder(const QString &programFolder);

} // namespace hueloft
