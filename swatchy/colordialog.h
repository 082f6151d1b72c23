// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace swatchy {

// Shows Qt's own colour dialog (the same on every platform) modal to the window whose native id
// is owner, or application-modal when owner is 0, with color (0x00BBGGRR) selected and the
// custom colour store as its custom colours. Returns the colour chosen with OK; on Cancel,
// close, or when there is no QApplication on this thread, returns color unchanged, bit for
// bit. An owner that is no window of this process opens no dialog and returns color. Custom
// colours edited in the dialog go back into the store either way; the entries it left alone
// keep their exact 32-bit values. "Pick Screen Color" (Alt+P) takes a colour from anywhere on
// the screen into the dialog, as if typed; cancelling a pick leaves the dialog as it was.
std::uint32_t showColorDialog(std::uint32_t color, std::uintptr_t owner);

} // namespace swatchy
