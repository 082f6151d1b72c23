// SPDX-License-Identifier: MIT
#include "editor/qt/systemsettings.h"

#include "editor/resources/installdirs.h"
#include "platform/settingsfacts.h"

SystemSettingsStore::SystemSettingsStore(std::string programFolder)
    : m_programFolder(std::move(programFolder))
{
}

hueloft::SettingsLocation SystemSettingsStore::location()
{
    return hueloft::chooseSettingsLocation(
        platform::settingsFacts(m_programFolder, hueloft::installedLibraryFolder(m_programFolder)));
}

std::string SystemSettingsStore::unusableBecause(const std::string &path)
{
    return platform::tooLargeForSettings(path);
}

std::string SystemSettingsStore::makeFolderFor(const std::string &path)
{
    return platform::makeFoldersFor(path);
}
