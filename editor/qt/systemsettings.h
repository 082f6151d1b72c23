// SPDX-License-Identifier: MIT
#pragma once

// The settings store on Linux: the file beside the program or in the user's configuration
// folder (an installation's layout decides), saved by the profile functions' own flush.

#include "editor/core/settingsstore.h"

#include <string>

class SystemSettingsStore : public hueloft::SettingsStore
{
public:
    // ProgramFolder: the program's folder as the system's bytes.
    explicit SystemSettingsStore(std::string programFolder);

    hueloft::SettingsLocation location() override;
    std::string unusableBecause(const std::string &path) override;
    std::string makeFolderFor(const std::string &path) override;

private:
    std::string m_programFolder;
};
