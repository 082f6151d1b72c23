// SPDX-License-Identifier: MIT
#pragma once

// The program's command line, the same on every system: read before any window exists, so
// that --help, --version and --convert answer without a display and without reading or
// writing settings.

#include "editor/color/colorvalue.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hueloft {

struct CommandLine
{
    enum class Action { Run, Help, Version, Convert, Error };
    Action action = Action::Run;
    // For Error: the one line (without its line end) that goes to standard error.
    std::string error;
    // For Convert, the colour to write out; for Run, the colour to start with, if one is named.
    std::optional<ColorValue> color;
};

// The options a toolkit reads from the command line itself, let through with their values for
// it to take. Each is written with one dash or two.
struct ToolkitOptions
{
    std::span<const std::string_view> withValue;  // "-name value"
    std::span<const std::string_view> flags;      // "-name"
    std::span<const std::string_view> withEquals; // also "-name=value"
};

// Reads the program's own options (-h, --help, --version, --convert COLOUR or
// --convert=COLOUR) and at most one colour to start with, lets the toolkit's options through
// and takes anything else for an error. The first argument that decides wins: a bad one is an
// error even when --help follows.
CommandLine readCommandLine(int argc, const char *const argv[], const ToolkitOptions &toolkit = {});

// The text of --help, ending in a line end: the usage and the program's own options, then
// Notes (the toolkit's options, where the settings live), which ends in a line end too.
std::string helpText(std::string_view notes);

} // namespace hueloft
