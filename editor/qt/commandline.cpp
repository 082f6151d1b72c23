// SPDX-License-Identifier: MIT
#include "editor/qt/commandline.h"

#include "editor/resources/buildinfo.h"

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

} // namespace

hueloft::CommandLine readCommandLine(int argc, const char *const argv[])
{
    return hueloft::readCommandLine(argc, argv, {qtOptionsWithValue, qtFlags, qtOptionsWithEquals});
}

std::string helpText()
{
    return hueloft::helpText(
        "Qt's own options work as in any Qt program, for example -platform wayland,\n"
        "-style fusion, -stylesheet FILE, -display HOST:SCREEN, -reverse.\n"
        "\n"
        "Settings and custom colours are kept in HUELOFT.INI, read at start and written\n"
        "at exit. An installed copy keeps each user's own, in\n"
        "$XDG_CONFIG_HOME/hueloft/ (by default ~/.config/hueloft/); a portable copy\n"
        "(libswatchy.so beside the program) keeps it beside the program.\n");
}

std::string versionText()
{
    return "hueloft " HUELOFT_VERSION "\n";
}
