// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// What the command line asks for. It is read before Qt starts, because Qt needs a display to
// start: --help and --version answer without one, and without reading or writing settings.
struct CommandLine
{
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // For Error: the one line (without its line end) that goes to standard error.
    std::string error;
};

// Reads the program's own options (-h, --help, --version) and lets Qt's own options
// (-platform, -style, -stylesheet, -display, ...) through with their values, for QApplication
// to take; anything else is an error. The first option that decides wins.
CommandLine readCommandLine(int argc, const char *const argv[]);

// The text of --help and of --version, each ending in a line end.
std::string helpText();
std::string versionText();
