// SPDX-License-Identifier: MIT
#include "editor/qt/commandline.h"

#include "editor/resources/buildinfo.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// The options that QApplication, QGuiApplication and the X11 platform plug-in take from the
// command line. Qt reads "--name" as "-name"; only -style, -stylesheet and -qmljsdebugger also
// take their value after "=".
constexpr std::array<std::string_view, 16> qtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowtitle", "title", "qwindowicon", "icon", "session", "display", "name", "visual",
    "style", "stylesheet"};
constexpr std::array<std::string_view, 6> qtFlags = {"reverse", "widgetcount", "testability",
                                                     "nograb", "dograb", "qmljsdebugger"};
constexpr std::array<std::string_view, 3> qtOptionsWithEquals = {"style", "stylesheet",
                                                                 "qmljsdebugger"};

template <std::size_t N>
bool among(const std::array<std::string_view, N> &names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

CommandLine failure(std::string line)
{
    return {CommandLine::Action::Error, "hueloft: " + std::move(line) + " (hueloft --help lists the options)"};
}

} // namespace

CommandLine readCommandLine(int argc, const char *const argv[])
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument.empty() || argument.front() != '-' || argument == "-")
            return failure("takes no file or other argument: '" + std::string(argument) + "'");
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help")
            return {CommandLine::Action::Help, {}};
        if (argument == "--version")
            return {CommandLine::Action::Version, {}};

        std::string_view name = argument.substr(argument.starts_with("--") ? 2 : 1);
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            if (among(qtOptionsWithEquals, name.substr(0, equals)))
                continue;
        } else if (among(qtFlags, name)) {
            continue;
        } else if (among(qtOptionsWithValue, name)) {
            // The next option is no value: Qt would take "--help" for a platform's name, and
            // abort for want of that platform.
            if (i + 1 >= argc || (argv[i + 1][0] == '-' && argv[i + 1][1] != '\0'))
                return failure("option '" + std::string(argument) + "' needs a value");
            ++i;
            continue;
        }
        return failure("unknown option '" + std::string(argument) + "'");
    }
    return {};
}

std::string helpText()
{
    return "Usage: hueloft [OPTION]... [QT OPTION]...\n"
           "RGB Tintora: mix a colour from red, green and blue and copy it as program code.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Qt's own options work as in any Qt program, for example -platform wayland,\n"
           "-style fusion, -stylesheet FILE, -display HOST:SCREEN, -reverse.\n"
           "\n"
           "Settings and custom colours are kept in HUELOFT.INI, read at start and written\n"
           "at exit. An installed copy keeps each user's own, in\n"
           "$XDG_CONFIG_HOME/hueloft/ (by default ~/.config/hueloft/); a portable copy\n"
           "(libswatchy.so beside the program) keeps it beside the program.\n";
}

std::string versionText()
{
    return "hueloft " HUELOFT_VERSION "\n";
}
