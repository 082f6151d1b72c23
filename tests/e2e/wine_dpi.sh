#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows build at 144 DPI (Wine's LogPixels): the window grows to the layout's twips at
# 10 twips a pixel, every caption of the main window and the About box fits its control, and
# the copied sample still has exactly the chosen number of pixels.
# Usage: wine_dpi.sh <folder of hueloft.exe and swatchy.dll>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/wine.sh"

set_dpi() {
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    "$wine" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    "$wineserver" -w
}
captions() { # window title, least number of captions
    "$wine" "$winbin/tst_captions_wine.exe" "$1" "$2" >"$work/captions.txt" 2>&1 || {
        cat "$work/captions.txt" >&2
        fail "captions clipped in \"$1\""
    }
    echo "ok: $1: $(tail -n 1 "$work/captions.txt")"
}
# The About box (its button is the last Tab stop before Exit, from the red scroll bar).
about_captions() {
    keys alt+r
    keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
    keys Return
    find_window '^About RGB Tintora$' >/dev/null || fail "the About box did not open"
    captions "About RGB Tintora" 4
    keys Escape
}
# The prefix is shared with the other Wine tests: back to 96 DPI whatever happens, once the
# program is gone (wineserver -w waits for it).
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; "$wineserver" -k 2>/dev/null; set_dpi 96; cleanup' EXIT

start_window_manager
# Every caption fits its control, measured from outside with the dialog font: at 96 DPI first.
launch
captions "RGB Tintora" 18
about_captions
keys alt+x
wait_exit

set_dpi 144
launch
eval "$(xdotool getwindowgeometry --shell "$win")"
# The client area is 4350 x 5280 twips: 435 x 528 pixels at 144 DPI (290 x 352 at 96).
expect_equal "client area at 144 DPI" "${WIDTH}x${HEIGHT}" "435x528"
captions "RGB Tintora" 18
keys alt+w
type_text 40
keys alt+h
type_text 30
keys alt+s
xclip -selection clipboard -t image/bmp -o >"$work/sample.bmp"
expect_equal "sample at 144 DPI" "$(python3 "$here/bmpinfo.py" "$work/sample.bmp")" \
    "40x30 #000000 uniform"
import -window root "$work/screen.png" 2>/dev/null && [ -n "${HUELOFT_SCREENSHOT:-}" ] &&
    cp "$work/screen.png" "$HUELOFT_SCREENSHOT"
about_captions
keys alt+x
wait_exit
echo "PASS"
