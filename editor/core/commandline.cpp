// SPDX-License-Identifier: MIT
#include "editor/core/commandline.h"

#include "editor/color/colorparse.h"

#include <algorithm>

namespace hueloft {

namespace {

bool among(std::span<const std::string_view> names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// An argument as the error line quotes it: a line end or a terminal's control sequence in it
// would break the one line, or be obeyed by the terminal.
std::string quoted(std::string_view argument)
{
    // Control characters, the 8-bit ones (0x80 to 0x9F, alone or as UTF-8's C2 80 to C2 9F)
    // among them, would reach the terminal as commands.
    std::string text = "'";
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const auto c = static_cast<unsigned char>(argument[i]);
        const bool utf8Control = c == 0xC2 && i + 1 < argument.size() &&
                                 static_cast<unsigned char>(argument[i + 1]) >= 0x80 &&
                                 static_cast<unsigned char>(argument[i + 1]) <= 0x9F;
        if (utf8Control)
            ++i;
        text.push_back(c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || utf8Control
                           ? '?'
                           : char(c));
    }
    text.push_back('\'');
    return text;
}

CommandLine failure(std::string line)
{
    return {CommandLine::Action::Error,
            "hueloft: " + std::move(line) + " (hueloft --help lists the options)",
            {}};
}

CommandLine notColour(std::string_view text)
{
    return {CommandLine::Action::Error,
            "hueloft: not a colour: " + quoted(text) + " (hueloft --help lists the forms it takes)",
            {}};
}

} // namespace

CommandLine readCommandLine(int argc, const char *const argv[], const ToolkitOptions &toolkit)
{
    bool optionsEnded = false;
    std::optional<ColorValue> startColor;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument.empty() || argument.front() != '-' || argument == "-") {
            if (startColor)
                return failure("takes one colour, not also " + quoted(argument));
            startColor = readColorText(argument);
            if (!startColor)
                return notColour(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help")
            return {CommandLine::Action::Help, {}, {}};
        if (argument == "--version")
            return {CommandLine::Action::Version, {}, {}};
        if (argument == "--convert" || argument.starts_with("--convert=")) {
            std::string_view value;
            if (argument.size() > 9) {
                value = argument.substr(10);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                return failure("option '--convert' needs a colour");
            }
            const std::optional<ColorValue> color = readColorText(value);
            if (!color)
                return notColour(value);
            return {CommandLine::Action::Convert, {}, color};
        }

        std::string_view name = argument.substr(argument.starts_with("--") ? 2 : 1);
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            if (among(toolkit.withEquals, name.substr(0, equals)))
                continue;
        } else if (among(toolkit.flags, name)) {
            continue;
        } else if (among(toolkit.withValue, name)) {
            // The next option is no value: Qt would take "--help" for a platform's name, and
            // abort for want of that platform.
            if (i + 1 >= argc || (argv[i + 1][0] == '-' && argv[i + 1][1] != '\0'))
                return failure("option " + quoted(argument) + " needs a value");
            ++i;
            continue;
        }
        return failure("unknown option " + quoted(argument));
    }
    return {CommandLine::Action::Run, {}, startColor};
}

std::string helpText(std::string_view notes)
{
    std::string text =
        "Usage: hueloft [OPTION]... [COLOUR]\n"
        "RGB Tintora: mix a colour from red, green and blue and copy it as program code.\n"
        "Started with a COLOUR, the window shows it instead of the stored colour.\n"
        "\n"
        "  -h, --help            show this help and exit\n"
        "      --version         show the version and exit\n"
        "      --convert COLOUR  print COLOUR in every notation the window copies, one a\n"
        "                        line (the RGB macro, the hexadecimal constant in C, Pascal,\n"
        "                        Basic and assembler notation, the HTML colour), and exit\n"
        "\n"
        "A COLOUR is written as the window copies it or as a style sheet does, in any\n"
        "letter case: RGB(255, 128, 64), 0x004080FF, $004080FF, &H004080FF&, 004080FFH,\n"
        "\"#FF8040\", #ff8040, #f84, rgb(255, 128, 64), or three numbers 0 to 255 apart by\n"
        "commas or blanks (\"255 128 64\"). The hexadecimal constants hold blue, green,\n"
        "red (0x00BBGGRR); an HTML colour holds red, green, blue. A COLOUR that is no\n"
        "colour ends the program with status 2.\n"
        "\n";
    text.append(notes);
    return text;
}

} // namespace hueloft
