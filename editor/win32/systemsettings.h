// SPDX-License-Identifier: MIT
#pragma once

// The settings store on Windows: the file beside the program or in %APPDATA%\hueloft (the
// installer's marker and entry decide); the exit writes a private copy that one replacement
// puts in place, because the system's profile functions rewrite the file at every write.

#include "editor/core/settingsstore.h"
#include "platform/profilesave_win32.h"

namespace hueloft::win32 {

class SystemSettingsStore : public SettingsStore
{
public:
    SettingsLocation location() override;
    std::string unusableBecause(const std::string &path) override;
    std::string makeFolderFor(const std::string &path) override;
    std::string beginSave(const std::string &path, std::string &target) override;
    std::string finishSave(bool keep) override;

private:
    platform::ProfileSave m_save; // the exit's, from its begin to its finish
};

} // namespace hueloft::win32
