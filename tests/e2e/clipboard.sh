#!/bin/sh
# SPDX-License-Identifier: MIT
# The real program under Xvfb: copies started with the keyboard, read back by another process;
# colours another process offers, pasted with the keyboard; what every copy copied, pasted
# back; --convert against the copies; a colour to start with.
# Usage: clipboard.sh <folder of hueloft and libswatchy.so>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/lib.sh"


start_window_manager
launch

check_copies

echo "--- pasting: text|keys after the offer|the macro then (-: as before)"
check_pastes <<'ROWS'
#FF8040|ctrl+v|RGB(255, 128, 64)
  1, 2, 3 |shift+Insert|RGB(1, 2, 3)
rgb(10 20 30)|Tab Tab Tab Tab ctrl+v|RGB(10, 20, 30)
&h00030201&|Tab Tab Tab Tab shift+Insert|RGB(1, 2, 3)
128|ctrl+v|-
junk|shift+Insert|-
RGB(256, 0, 0)|Tab Tab Tab Tab ctrl+v|-
12abc|Tab Tab Tab Tab shift+Insert Return|RGB(1, 12, 3)
ROWS

echo "--- every copy pasted back, and --convert's lines are the copies"
check_round_trips "$prog/hueloft"

keys alt+x
wait_exit
[ -s "$work/stderr" ] && { echo "stderr:"; cat "$work/stderr"; }
[ -n "$offering" ] && kill "$offering" 2>/dev/null || true
expect_equal "saved sample width" "$(ini_value 'RGB Sample' Width)" 40
expect_equal "saved sample height" "$(ini_value 'RGB Sample' Height)" 256
expect_equal "saved after pasting" "$(ini_value 'RGB Color' Red),$(ini_value 'RGB Color' Green),$(ini_value 'RGB Color' Blue)" "1,2,3"

echo "--- a colour to start with: shown, and saved only by the exit; a second copy beside it"
place="$(ini_value 'RGB Tintora' Left),$(ini_value 'RGB Tintora' Top)"
launch 'rgb(16, 32, 48)'
keys alt+r
expect_clipboard "started with" "RGB(16, 32, 48)"
expect_equal "stored colour untouched while it runs" "$(ini_value 'RGB Color' Blue)" 3
first=$pid firstwin=$win
launch
eval "$(xdotool getwindowgeometry --shell "$firstwin" | sed 's/^/first_/')"
eval "$(xdotool getwindowgeometry --shell "$win")"
expect_equal "the second copy a step down and right" "$((X - first_X)),$((Y - first_Y))" "30,30"
keys alt+x
wait_exit
expect_equal "the second copy's exit keeps the stored place" \
    "$(ini_value 'RGB Tintora' Left),$(ini_value 'RGB Tintora' Top)" "$place"
pid=$first win=$firstwin
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus --sync "$win"
sleep 0.3
keys alt+x
wait_exit
expect_equal "saved at exit" "$(ini_value 'RGB Color' Red),$(ini_value 'RGB Color' Green),$(ini_value 'RGB Color' Blue)" "16,32,48"

echo "PASS"
