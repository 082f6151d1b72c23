// SPDX-License-Identifier: MIT
#include "installdirs.h"

#include <QDir>

namespace hueloft {

QString installedLibraryFolder(const QString &programFolder)
{
    // The relative path comes from the install rules, so the two cannot drift apart.
    return QDir::cleanPath(programFolder + QLatin1Char('/') +
                           QLatin1String(HUELOFT_LIBRARY_FOLDER_FROM_PROGRAM));
}

} // namespace hueloft
