// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Where the settings file lives: HUELOFT.INI in the program's own folder (the folder path with
// "/HUELOFT.INI" appended unchanged) whenever that file exists or that folder can be written,
// as in a portable copy or a build tree. A program installed in a folder the user cannot write
// would otherwise lose every setting at every exit; it keeps them in the per-user
// configuration folder instead: $XDG_CONFIG_HOME/hueloft/HUELOFT.INI (~/.config by default).
struct SettingsLocation
{
    QString path;
    bool perUser = false; // the folder may still have to be created before the first write
};

SettingsLocation settingsLocationFor(const QString &programFolder);
