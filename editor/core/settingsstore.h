// SPDX-License-Identifier: MIT
#pragma once

// Where the settings file lives and how the exit's save reaches it: the core's one way to the
// system's files and folders (the values themselves go through the profile functions). Each
// front-end's main() makes one and hands it to the window.

#include "editor/core/settingslocation.h"

#include <string>

namespace hueloft {

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The settings file's place (chooseSettingsLocation on the platform's facts).
    virtual SettingsLocation location() = 0;
    // Why the file at Path cannot be the settings, in words for the one line that says so;
    // empty when it can (or is not there).
    virtual std::string unusableBecause(const std::string &path) = 0;
    // Makes the folders above a per-user file before its first write: the reason of a
    // failure, empty on success.
    virtual std::string makeFolderFor(const std::string &path) = 0;
    // The exit's writes go to the file beginSave names in Target, and finishSave makes them
    // the settings file (Keep false: a write failed, the file stays as it was). The file
    // itself where the profile functions replace it whole at their flush; a private copy
    // where they rewrite it at every write (Windows). Each gives the reason of a failure,
    // empty on success; after a failed begin nothing is written.
    virtual std::string beginSave(const std::string &path, std::string &target)
    {
        target = path;
        return {};
    }
    virtual std::string finishSave(bool /*keep*/) { return {}; }
};

} // namespace hueloft
