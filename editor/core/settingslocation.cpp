// SPDX-License-Identifier: MIT
#include "editor/core/settingslocation.h"

namespace hueloft {

namespace {

constexpr const char *kFileName = "HUELOFT.INI";

std::string notRegular(const std::string &kind)
{
    return "it is " + kind + ", not a regular file";
}

} // namespace

SettingsLocation chooseSettingsLocation(const platform::SettingsFacts &facts)
{
    const std::string beside = facts.programFolder.empty()
                                   ? std::string()
                                   : facts.programFolder + facts.separator + kFileName;
    const platform::FileFacts &own = facts.besideProgram;
    // The marker and the system's list of installs both make an installed copy; where they
    // disagree the start-up line says which file is used.
    const bool installed = facts.installed || facts.registered;

    if (!installed && !beside.empty()) {
        if (!own.notRegular.empty())
            return {beside, false, notRegular(own.notRegular), {}, {}};
        if (own.writable)
            return {beside, false, {}, {}, {}};
        if (facts.perUserFolder.empty()) {
            // Nowhere else: the file is read, and the exit says why it cannot be written.
            if (own.exists)
                return {beside, false, {}, {}, {}};
            return {{},
                    true,
                    "the program's folder " + facts.programFolder + " cannot be written and " +
                        facts.perUserProblem,
                    {},
                    {}};
        }
    }

    if (facts.perUserFolder.empty()) {
        std::string why = facts.perUserProblem;
        if (facts.programFolder.empty())
            why.insert(0, facts.programFolderProblem + " and ");
        return {{}, true, why, {}, {}};
    }
    SettingsLocation location{facts.perUserFolder + facts.separator + kFileName, true, {}, {}, {}};
    if (!facts.perUserFile.notRegular.empty()) {
        location.problem = notRegular(facts.perUserFile.notRegular);
        return location;
    }
    const bool ownUsable = !beside.empty() && own.exists && own.notRegular.empty() && own.readable;
    if (!facts.perUserFile.exists && ownUsable)
        location.readFrom = beside;
    if (beside.empty())
        location.note = facts.programFolderProblem + "; settings kept in " + location.path;
    else if (facts.listsInstalls && facts.registered && !facts.installed)
        location.note = "the installer's marker " + facts.programFolder + facts.separator +
                        "hueloft.installed is missing, but this copy's install names its "
                        "folder; settings kept in " +
                        location.path;
    else if (facts.listsInstalls && facts.installed && !facts.registered)
        location.note = facts.programFolder + facts.separator +
                        "hueloft.installed marks an installed copy, but no install names its "
                        "folder; settings kept in " +
                        location.path + (own.exists ? ", not in " + beside : std::string());
    else if (!installed && !own.unusable.empty())
        location.note = beside + ": " + own.unusable + "; settings kept in " + location.path;
    else if (!installed && own.exists)
        location.note =
            beside + " cannot be written by this user; settings kept in " + location.path;
    return location;
}

} // namespace hueloft
