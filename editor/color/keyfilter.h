// SPDX-License-Identifier: MIT
#pragma once

// Which typed characters reach the numeric boxes, and which commit the value.

namespace hueloft {

// What a key press does to one of the numeric boxes. Code is the character the key produces
// (13 Enter, 8 Backspace, 3 for Ctrl+C, ...).
enum class KeyAction {
    Pass,    // the character reaches the box
    Discard, // the character is dropped
    Commit   // Enter in a channel box: commit the typed value, insert nothing
};

// Only the digits 0 to 9 and Backspace pass.
constexpr bool passesDigitFilter(int code)
{
    return !((code < 48 || code > 57) && code != 8);
}

constexpr KeyAction channelBoxKey(int code)
{
    if (code == 13)
        return KeyAction::Commit;
    return passesDigitFilter(code) ? KeyAction::Pass : KeyAction::Discard;
}

// The sample size boxes commit nothing: their text is read only by "Copy Color Sample".
constexpr KeyAction sampleBoxKey(int code)
{
    return passesDigitFilter(code) ? KeyAction::Pass : KeyAction::Discard;
}

} // namespace hueloft
