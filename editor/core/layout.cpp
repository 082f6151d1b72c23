// SPDX-License-Identifier: MIT
#include "editor/core/layout.h"

#include <array>

namespace hueloft {

namespace {

using K = ControlKind;

constexpr std::array<ControlLayout, 31> kMainWindow = {{
    // name             kind          container  text                   left  top   width height tab
    {"cpRGB",           K::Label,     nullptr,   "",                    120,  120,  4095, 735,   6},
    {"txtRGB",          K::Label,     nullptr,   "",                    120,  960,  2055, 255,  28},
    {"txtHexa",         K::Label,     nullptr,   "",                    2400, 960,  1815, 195,  27},
    {"cpColor0",        K::Label,     nullptr,   "",                    120,  1320, 375,  255,   1},
    {"hsbColor0",       K::ScrollBar, nullptr,   "",                    600,  1320, 3135, 255,   0},
    {"ediColor0",       K::TextBox,   nullptr,   "",                    3840, 1320, 375,  285,   7},
    {"cpColor1",        K::Label,     nullptr,   "",                    120,  1800, 375,  255,   4},
    {"hsbColor1",       K::ScrollBar, nullptr,   "",                    600,  1800, 3135, 255,   2},
    {"ediColor1",       K::TextBox,   nullptr,   "",                    3840, 1800, 375,  285,   8},
    {"cpColor2",        K::Label,     nullptr,   "",                    120,  2280, 375,  255,   5},
    {"hsbColor2",       K::ScrollBar, nullptr,   "",                    600,  2280, 3135, 255,   3},
    {"ediColor2",       K::TextBox,   nullptr,   "",                    3840, 2280, 375,  285,   9},
    {"cmdCopyRGB",      K::Button,    nullptr,   "Copy &RGB Macro",     120,  2760, 1575, 375,  10},
    {"cmdCopyHexa",     K::Button,    nullptr,   "Copy Hexa&decimal",   120,  3240, 1575, 375,  11},
    {"cmdCopyHTML",     K::Button,    nullptr,   "Copy HTML &Macro",    120,  3720, 1575, 375,  12},
    {"cmdCopySample",   K::Button,    nullptr,   "Copy Color &Sample",  120,  4320, 1575, 375,  13},
    {"cmdEditColor",    K::Button,    nullptr,   "&Edit color...",      120,  4800, 1575, 375,  14},
    {"Frame1",          K::Frame,     nullptr,   "Hexa format",         1920, 2640, 2295, 855,  25},
    {"optLang0",        K::Option,    "Frame1",  "&C/C++",              120,  240,  1095, 195,  17},
    {"optLang1",        K::Option,    "Frame1",  "&Pascal",             120,  540,  1095, 195,  18},
    {"optLang2",        K::Option,    "Frame1",  "&Basic",              1320, 240,  855,  195,  19},
    {"optLang3",        K::Option,    "Frame1",  "&Asm",                1320, 540,  855,  195,  20},
    {"Frame2",          K::Frame,     nullptr,   "Color sample size",   1920, 3600, 2295, 735,  26},
    {"txtSwitch0",      K::Label,     "Frame2",  "&Width",              120,  360,  495,  255,  21},
    {"ediSwatch0",      K::TextBox,   "Frame2",  "",                    720,  300,  375,  285,  22},
    {"txtSwitch1",      K::Label,     "Frame2",  "&Height",             1200, 360,  495,  255,  23},
    {"ediSwatch1",      K::TextBox,   "Frame2",  "",                    1800, 300,  375,  285,  24},
    {"chkTop",          K::CheckBox,  nullptr,   "Always On &Top",      1920, 4440, 1575, 255,  30},
    {"cmdAbout",        K::Button,    nullptr,   "About",               1920, 4800, 1095, 375,  15},
    {"cmdExit",         K::Button,    nullptr,   "E&xit",               3120, 4800, 1095, 375,  16},
    {"pctRGB",          K::Picture,   nullptr,   "",                    360,  360,  375,  375,  29},
}};

constexpr std::array<ControlLayout, 7> kAboutBox = {{
    // name             kind          container  text                          left  top  width height tab
    {"Image1",          K::Picture,   nullptr,   "",                           120,  240, 480,  480,  -1},
    {"Label10",         K::Label,     nullptr,   "RGB Tintora for Windows 95", 840,  240, 2535, 255,   1},
    {"Label12",         K::Label,     nullptr,   "Version 1.1",                840,  480, 2535, 255,   3},
    {"Label11",         K::Label,     nullptr,   nullptr,                      840,  840, 2895, 255,   2},
    {"Label13",         K::Label,     nullptr,   nullptr,                      840, 1320, 2895, 255,   5},
    {"cmdOK",           K::Button,    nullptr,   "OK",                         3720, 120, 1095, 375,   0},
    {"Label20",         K::Label,     nullptr,   nullptr,                      120, 1800, 4695, 735,   4},
}};

} // namespace

std::span<const ControlLayout> mainWindowLayout()
{
    return kMainWindow;
}

std::span<const ControlLayout> aboutBoxLayout()
{
    return kAboutBox;
}

} // namespace hueloft
