// SPDX-License-Identifier: MIT
#include "editor/win32/systemsettings.h"

#include "platform/settingsfacts.h"

namespace hueloft::win32 {

SettingsLocation SystemSettingsStore::location()
{
    SettingsLocation location =
        chooseSettingsLocation(platform::settingsFacts(platform::programFolder(), {}));
    // A save written in place and killed half-way is put right before anything reads the file.
    if (location.problem.empty())
        platform::mendInterruptedSave(location.path);
    return location;
}

std::string SystemSettingsStore::unusableBecause(const std::string &path)
{
    return platform::tooLargeForSettings(path);
}

std::string SystemSettingsStore::makeFolderFor(const std::string &path)
{
    return platform::makeFoldersFor(path);
}

std::string SystemSettingsStore::beginSave(const std::string &path, std::string &target)
{
    // The system's profile functions rewrite the whole file at every write: they write a
    // private copy, which one replacement puts in place at the finish.
    const std::string problem = m_save.begin(path);
    target = problem.empty() ? m_save.copyPath() : path;
    return problem;
}

std::string SystemSettingsStore::finishSave(bool keep)
{
    return m_save.finish(keep);
}

} // namespace hueloft::win32
