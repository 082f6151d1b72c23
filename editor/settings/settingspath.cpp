// SPDX-License-Identifier: MIT
#include "editor/settings/settingspath.h"

#include <QFileInfo>
#include <QStandardPaths>

SettingsLocation settingsLocationFor(const QString &programFolder)
{
    const QString portable = programFolder + QStringLiteral("/HUELOFT.INI");
    if (QFileInfo::exists(portable) || QFileInfo(programFolder).isWritable())
        return {portable, false};
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return {config + QStringLiteral("/hueloft/HUELOFT.INI"), true};
}
