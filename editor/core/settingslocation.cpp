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

    if (!facts.installed && !beside.empty()) {
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
    else if (!facts.installed && own.exists)
        location.note =
            beside + " cannot be written by this user; settings kept in " + location.path;
    return location;
}

} // namespace hueloft
