#!/bin/sh
# SPDX-License-Identifier: MIT
# The real program under Xvfb: copies started with the keyboard, read back by another process.
# Usage: clipboard.sh <folder of hueloft and libswatchy.so>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/lib.sh"

start_window_manager
launch

# The focus starts on the red scroll bar: five steps to the right, then green 200 typed.
keys Right Right Right Right Right
keys Tab Tab Tab Tab
type_text 200
keys Return
keys alt+r
expect_equal "macro on the clipboard" "$(clipboard_text)" "RGB(5, 200, 0)"

keys alt+b alt+d
expect_equal "Basic hexadecimal" "$(clipboard_text)" "&H0000C805&"
keys alt+m
expect_equal "HTML colour" "$(clipboard_text)" '"#05C800"'

keys alt+w
type_text 40
keys alt+h
type_text 300
keys alt+s
targets=$(xclip -selection clipboard -t TARGETS -o)
echo "image targets: $(echo "$targets" | tr '\n' ' ')"
echo "$targets" | grep -qx 'image/png' || fail "the sample is not offered as image/png"
xclip -selection clipboard -t image/png -o >"$work/sample.png"
expect_equal "sample read back" "$(python3 "$here/pnginfo.py" "$work/sample.png")" \
    "40x256 #05C800 uniform"

keys alt+r
targets=$(xclip -selection clipboard -t TARGETS -o)
echo "text targets: $(echo "$targets" | tr '\n' ' ')"
echo "$targets" | grep -q 'image/png' && fail "the text copy left the image on the clipboard"

keys alt+x
wait_exit
[ -s "$work/stderr" ] && { echo "stderr:"; cat "$work/stderr"; }
expect_equal "saved sample width" "$(ini_value 'RGB Sample' Width)" 40
expect_equal "saved sample height" "$(ini_value 'RGB Sample' Height)" 256
echo "PASS"
