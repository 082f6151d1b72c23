// SPDX-License-Identifier: MIT
#pragma once

// Reading a colour back from program text: every text the copy commands make, and the forms
// programmers bring from elsewhere.

#include "editor/color/colorvalue.h"

#include <optional>
#include <string>
#include <string_view>

namespace hueloft {

// The colour Text names, or none. Blanks around it, one pair of matching quotes around that,
// and the letter case of every letter do not count. The forms:
//   RGB(r, g, b), rgb(r, g, b), r, g, b, r g b      decimal channels 0..255, by commas or blanks
//   "#RRGGBB", #RRGGBB, #RGB                         red first; #RGB doubles each digit
//   0x00BBGGRR, $00BBGGRR, &H00BBGGRR&, 00BBGGRRH    the colour value itself, blue first, as the
//                                                    hexadecimal notations write it (the trailing
//                                                    "&" of Basic is optional); up to eight digits
// A channel above 255, a value with bits above the colour's 24, a sign, a fraction, a fourth
// number, a lone number or anything else around a form names no colour.
std::optional<ColorValue> readColorText(std::string_view text);

// The colour in every notation the window copies, one line each, in this order: the RGB
// macro, the hexadecimal constant in the C, Pascal, Basic and assembler notations, the HTML
// colour. Each line is exactly the text the copy command would put on the clipboard.
std::string everyNotation(ColorValue color);

} // namespace hueloft
