#!/bin/sh
# SPDX-License-Identifier: MIT
# A whole session under Xvfb with a window manager: change the colour with the keyboard,
# switch the notation and always-on-top, exit with Alt+X, start again and find it all restored.
# Usage: session.sh <folder of hueloft and libswatchy.so>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/lib.sh"

above() {
    xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes || echo no
}

start_window_manager
launch
expect_equal "first start on top" "$(above)" no
geometry_before=$(xdotool getwindowgeometry "$win" | tail -n +2)
keys Tab Tab Tab Tab Tab
type_text 17
keys Return
keys alt+a alt+t
expect_equal "on top after Alt+T" "$(above)" yes
expect_equal "position and size kept" "$(xdotool getwindowgeometry "$win" | tail -n +2)" \
    "$geometry_before"
keys alt+x
wait_exit
[ -f "$prog/HUELOFT.INI" ] || fail "no settings file after Alt+X"
expect_equal "saved blue" "$(ini_value 'RGB Color' Blue)" 17
expect_equal "saved notation" "$(ini_value 'RGB Tintora' HexaFormat)" 3
expect_equal "saved on top" "$(ini_value 'RGB Tintora' TopMost)" 1
expect_equal "custom colours saved" "$(ini_value 'Custom Colors' RGB_Color_15)" 0
expect_equal "sections in first-run order" \
    "$(grep '^\[' "$prog/HUELOFT.INI" | tr '\n' ' ')" \
    "[RGB Tintora] [RGB Sample] [RGB Color] [Custom Colors] "

launch
expect_equal "restored on top" "$(above)" yes
keys alt+d
expect_equal "restored colour and notation" "$(clipboard_text)" "00110000H"
keys alt+t
expect_equal "ordinary again" "$(above)" no
# Closing the window from the window manager saves as well.
keys alt+F4
wait_exit
expect_equal "saved after close" "$(ini_value 'RGB Tintora' TopMost)" 0
echo "PASS"
