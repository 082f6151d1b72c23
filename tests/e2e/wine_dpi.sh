#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows build in the font it is given. At the design font (Tahoma 8 pt, in the prefix
# since tests/e2e/wineprefix.sh) the window is the layout's 290 x 352 pixels at 96 DPI; a wider
# face (DejaVu Sans) and a larger message font (150 %, as "Make text bigger" gives) grow it until
# every text fits; at 144 DPI it is 435 x 528. Every caption of the
# main window (the widest values in every box) and of the About box is measured against its
# control from outside, and the copied sample keeps exactly the chosen number of pixels.
# Usage: wine_dpi.sh <folder of hueloft.exe and swatchy.dll>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/wine.sh"

set_dpi() {
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    "$wine" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    "$wineserver" -w
}
# The system's message font: face, percent of 8 points; every window is told.
set_message_font() {
    "$wine" "$winbin/tst_captions_wine.exe" --message-font "$1" "$2" >/dev/null 2>&1 ||
        fail "could not set the message font to $1 at $2 %"
}
client_size() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    echo "${WIDTH}x${HEIGHT}"
}
# Waits until the window's client area is no longer $1; prints the new size.
size_changed_from() {
    for _ in $(seq 100); do
        size=$(client_size)
        [ "$size" != "$1" ] && { echo "$size"; return 0; }
        sleep 0.1
    done
    fail "the window kept its size $1 after the font changed"
}
captions() { # window title, least number of captions
    "$wine" "$winbin/tst_captions_wine.exe" "$1" "$2" >"$work/captions.txt" 2>&1 || {
        cat "$work/captions.txt" >&2
        fail "captions clipped in \"$1\""
    }
    echo "ok: $1: $(tail -n 1 "$work/captions.txt")"
}
# The widest texts: 255 in the three channel boxes and both size boxes, the Basic notation.
widest_values() {
    keys alt+r
    keys Tab Tab Tab
    type_text 255
    keys Tab
    type_text 255
    keys Tab
    type_text 255
    keys alt+w
    type_text 255
    keys alt+h
    type_text 255
    keys alt+b
}
# Stored places off the screen (a monitor since unplugged, a lower resolution): far right and
# below, far left and above, the title bar above the top edge. The window comes back whole
# onto the screen, and the exit saves where it is; a place on the screen is kept exactly.
stored_places() {
    eval "$(xdotool getdisplaygeometry --shell)"
    screen_w=$WIDTH screen_h=$HEIGHT
    for place in "90000 90000" "-90000 -90000" "3000 -200" "1500 1500"; do
        set -- $place
        printf '[RGB Tintora]\r\nLeft=%s\r\nTop=%s\r\n' "$1" "$2" >"$prog/HUELOFT.INI"
        launch
        # The window with the window manager's frame around it, as the X server has it.
        X=$(xwininfo -id "$win" | sed -n 's/.*Absolute upper-left X: *//p')
        Y=$(xwininfo -id "$win" | sed -n 's/.*Absolute upper-left Y: *//p')
        WIDTH=$(xwininfo -id "$win" | sed -n 's/^ *Width: *//p')
        HEIGHT=$(xwininfo -id "$win" | sed -n 's/^ *Height: *//p')
        extents=$(xprop -id "$win" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ' ')
        IFS=, read -r fl fr ft fb <<EXTENTS
${extents:-0,0,0,0}
EXTENTS
        X=$((X - fl)) Y=$((Y - ft)) WIDTH=$((WIDTH + fl + fr)) HEIGHT=$((HEIGHT + ft + fb))
        [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$screen_w" ] &&
            [ $((Y + HEIGHT)) -le "$screen_h" ] ||
            fail "stored at $1, $2: the window is at $X,$Y, ${WIDTH}x$HEIGHT on a ${screen_w}x$screen_h screen"
        keys alt+x
        wait_exit
        left=$(ini_value 'RGB Tintora' Left) top=$(ini_value 'RGB Tintora' Top)
        if [ "$1" = 1500 ]; then
            expect_equal "a place on the screen kept" "$left,$top" "1500,1500"
        else
            [ "$left,$top" != "$1,$2" ] || fail "stored at $1, $2: the place saved again"
        fi
        echo "ok: stored at $1, $2: shown at $X,$Y (${WIDTH}x$HEIGHT), saved $left, $top"
    done
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
# The prefix is shared with the other Wine tests: back to 96 DPI and the design font whatever
# happens, once the program is gone (wineserver -w waits for it).
trap '{ [ -n "$pid" ] && kill "$pid" 2>/dev/null; } || true; "$wineserver" -k 2>/dev/null || true;
      set_message_font Tahoma 100; set_dpi 96; cleanup' EXIT

start_window_manager
launch
expect_equal "client area at the design font" "$(client_size)" "290x352"
widest_values
captions "RGB Tintora" 18
about_captions
keys alt+x
wait_exit
stored_places
fresh_folder
launch

# A wider face, then a larger font. Wine keeps each program's own copy of the system metrics
# from its start, so the program is started again after each change (Windows tells a running
# program with WM_SETTINGCHANGE, which lays the window out again).
keys alt+x
wait_exit
set_message_font "DejaVu Sans" 100
launch
wide=$(size_changed_from 290x352)
widest_values
captions "RGB Tintora" 18
about_captions
keys alt+x
wait_exit
set_message_font Tahoma 150
launch
large=$(size_changed_from 290x352)
echo "client area: wider face $wide, 150 % $large"
widest_values
captions "RGB Tintora" 18
import -window root "$work/screen.png" 2>/dev/null && [ -n "${HUELOFT_SCREENSHOT_LARGE:-}" ] &&
    cp "$work/screen.png" "$HUELOFT_SCREENSHOT_LARGE"
about_captions
keys alt+x
wait_exit
set_message_font Tahoma 100

set_dpi 144
fresh_folder
launch
# The client area is 4350 x 5280 twips: 435 x 528 pixels at 144 DPI.
expect_equal "client area at 144 DPI" "$(client_size)" "435x528"
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
stored_places
echo "PASS"
