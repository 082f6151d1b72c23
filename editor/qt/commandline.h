// SPDX-License-Identifier: MIT
#pragma once

#include "editor/core/commandline.h"

#include <string>

// The command line of the Linux program (editor/core/commandline.h), with Qt's own options
// (-platform, -style, -stylesheet, -display, ...) let through with their values for
// QApplication to take. It is read before Qt starts, because Qt needs a display to start.
hueloft::CommandLine readCommandLine(int argc, const char *const argv[]);

// The text of --help and of --version, each ending in a line end.
std::string helpText();
std::string versionText();
