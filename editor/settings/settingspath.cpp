// SPDX-License-Identifier: MIT
#include "editor/settings/settingspath.h"

#include "platform/filekind.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string parentOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

SettingsLocation settingsLocationFor(const std::string &programFolder)
{
    const std::string portable = programFolder + "/HUELOFT.INI";
    struct stat st
    {
    };
    // The effective user decides, as for the write itself.
    if (::lstat(portable.c_str(), &st) == 0
        || ::faccessat(AT_FDCWD, programFolder.c_str(), W_OK, AT_EACCESS) == 0)
        return {portable, false, {}};

    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') {
        const std::string home = environment("HOME");
        if (home.empty() || home.front() != '/') {
            return {{}, true,
                    "the program's folder " + programFolder
                        + " cannot be written and there is no per-user folder ($HOME is "
                        + (home.empty() ? "not set" : "not an absolute path") + ")"};
        }
        config = home + "/.config";
    }
    return {config + "/hueloft/HUELOFT.INI", true, {}};
}

std::string unusableSettingsFile(const std::string &path)
{
    struct stat st
    {
    };
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return {};
    const char *kind = platform::notRegularKind(st.st_mode);
    return kind ? std::string("it is ") + kind + ", not a regular file" : std::string();
}

std::string makeSettingsFolder(const std::string &path)
{
    const std::string folder = parentOf(path);
    struct stat st
    {
    };
    if (::stat(folder.c_str(), &st) == 0)
        return {};
    if (const std::string error = makeSettingsFolder(folder); !error.empty())
        return error;
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return "cannot create " + folder + ": " + std::strerror(errno);
    return {};
}

std::string runningProgramFolder()
{
    std::string target(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
        if (n < 0)
            return {};
        if (std::size_t(n) < target.size()) {
            target.resize(std::size_t(n));
            return parentOf(target);
        }
        target.resize(target.size() * 2);
    }
}
