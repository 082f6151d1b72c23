// SPDX-License-Identifier: MIT
#pragma once

// The colour as program text: the RGB macro, the hexadecimal constant in the notation of four
// languages, and the HTML colour.

#include "editor/color/colorvalue.h"

#include <string>
#include <string_view>

namespace hueloft {

// The notations of the hexadecimal text; the index of the option button is the notation.
enum HexaNotation : int { NotationC = 0, NotationPascal = 1, NotationBasic = 2, NotationAsm = 3 };

// "RGB(" red ", " green ", " blue ")", from the channel texts as the boxes hold them.
std::string rgbMacroText(std::string_view red, std::string_view green, std::string_view blue);

// The caption of the hexadecimal label: eight upper-case digits (00BBGGRR) with the notation's
// prefix and suffix; any notation outside 0..3 gives the bare digits. The Basic form is stored
// with doubled ampersands ("&&H000080FF&&") because the label shows "&&" as one "&".
std::string hexaCaption(ColorValue color, int hexaType);

// What a label shows for Caption: "&&" becomes "&", a single "&" (an access-key marker)
// disappears.
std::string captionDisplayText(std::string_view caption);

// The text "Copy Hexadecimal" puts on the clipboard: what the label shows. In Basic notation
// the caption loses its first and last character, turning "&&H...&&" into "&H...&".
std::string hexaCopyText(std::string_view caption, int hexaType);

// A double quote, "#", six upper-case digits in the order red, green, blue, a double quote.
std::string htmlText(ColorValue color);

} // namespace hueloft
