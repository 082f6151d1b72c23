#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows build in the font it is given. At the design font (Tahoma 8 pt, in the prefix
# since tests/e2e/wineprefix.sh) the window is the layout's 290 x 352 pixels at 96 DPI grown
# until a size box holds four digits; a wider face (DejaVu Sans) and a larger message font
# (150 %, as "Make text bigger" gives) grow it until every text fits; at 144 DPI it grows from
# 435 x 528. Every caption of the
# main window (the widest values in every box) and of the About box is measured against its
# control from outside (a box's first digit shown while typing and after it is left), and the
# copied sample keeps exactly the chosen number of pixels. In a high-contrast scheme every text
# of both windows stands out from its ground.
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
in_proportion() { # what, WIDTHxHEIGHT, least width: the layout's 4350 x 5280 twips, in pixels
    w=${2%x*}
    h=${2#*x}
    [ "$w" -ge "$3" ] && [ $((w * 5280 - h * 4350)) -le 5280 ] &&
        [ $((h * 4350 - w * 5280)) -le 4350 ] || fail "$1: $2 is not the layout's proportions"
}
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
# The widest texts: 255 in the three channel boxes and both size boxes, the Basic notation;
# each box is measured while the caret is after its last digit, the others after they were left.
widest_values() {
    keys alt+r
    keys Tab Tab Tab
    type_text 255
    keys Tab
    type_text 255
    keys Tab
    type_text 255
    captions "RGB Tintora" 23
    keys alt+w
    type_text 255
    keys alt+h
    type_text 255
    captions "RGB Tintora" 23
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
# Every text read off the screen, in the main window or the About box, stands out from its
# ground; $2 (a PNG file) gets the picture.
contrast() { # window title, least number of texts, picture
    "$wine" "$winbin/tst_captions_wine.exe" --contrast "$1" "$2" 'Z:'"$work/contrast.bmp" \
        >"$work/contrast.txt" 2>&1 || {
        cat "$work/contrast.txt" >&2
        fail "texts not readable in \"$1\""
    }
    echo "ok: $1: $(tail -n 1 "$work/contrast.txt")"
    [ -z "${3:-}" ] || python3 "$here/bmpinfo.py" "$work/contrast.bmp" "$3" >/dev/null
}
set_colour() {
    "$wine" reg add 'HKCU\Control Panel\Colors' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 ||
        fail "could not set the colour $1"
}
"$wine" reg export 'HKCU\Control Panel\Colors' 'Z:'"$work/colors.reg" /y >/dev/null 2>&1 ||
    fail "could not keep the prefix's colours"
# The prefix is shared with the other Wine tests: back to 96 DPI, the design font and the
# prefix's colours whatever happens, once the program is gone (wineserver -w waits for it).
trap '{ [ -n "$pid" ] && kill "$pid" 2>/dev/null; } || true; "$wineserver" -k 2>/dev/null || true;
      set_message_font Tahoma 100; set_dpi 96;
      "$wine" reg import "Z:$work/colors.reg" >/dev/null 2>&1; "$wineserver" -w; cleanup' EXIT

start_window_manager
# A stored width wider than three digits shows whole, and stays so after the box is left.
printf '[RGB Sample]\r\nWidth=1000\r\nHeight=1000\r\n' >"$prog/HUELOFT.INI"
launch
design=$(client_size)
# The layout's 290 x 352 pixels, grown as a whole until four digits fit a size box.
in_proportion "client area at the design font" "$design" 290
echo "client area at the design font: $design"
captions "RGB Tintora" 23
keys alt+w Tab
captions "RGB Tintora" 23
widest_values
captions "RGB Tintora" 23
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
wide=$(size_changed_from "$design")
widest_values
captions "RGB Tintora" 23
about_captions
keys alt+x
wait_exit
set_message_font Tahoma 150
launch
large=$(size_changed_from "$design")
echo "client area: wider face $wide, 150 % $large"
widest_values
captions "RGB Tintora" 23
import -window root "$work/screen.png" 2>/dev/null && [ -n "${HUELOFT_SCREENSHOT_LARGE:-}" ] &&
    cp "$work/screen.png" "$HUELOFT_SCREENSHOT_LARGE"
about_captions
keys alt+x
wait_exit
set_message_font Tahoma 100

set_dpi 144
fresh_folder
launch
# The layout at 144 DPI is 435 x 528 pixels, grown as at 96 DPI.
in_proportion "client area at 144 DPI" "$(client_size)" 435
echo "client area at 144 DPI: $(client_size)"
captions "RGB Tintora" 23
keys alt+w
type_text 40
keys alt+h
type_text 30
keys alt+s
xclip -selection clipboard -t image/bmp -o >"$work/sample.bmp"
expect_equal "sample at 144 DPI" "$(python3 "$here/bmpinfo.py" "$work/sample.bmp")" \
    "40x30 #000000 uniform"
widest_values
import -window root "$work/screen.png" 2>/dev/null && [ -n "${HUELOFT_SCREENSHOT:-}" ] &&
    cp "$work/screen.png" "$HUELOFT_SCREENSHOT"
about_captions
keys alt+x
wait_exit
stored_places
set_dpi 96

# A high-contrast scheme: white text on black faces and windows, in the default font.
for name in ButtonFace Window Menu Background; do set_colour "$name" "0 0 0"; done
for name in ButtonText WindowText MenuText; do set_colour "$name" "255 255 255"; done
"$wineserver" -w
launch
contrast "RGB Tintora" 23 "${HUELOFT_SCREENSHOT_CONTRAST:-}"
keys alt+r
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
keys Return
find_window '^About RGB Tintora$' >/dev/null || fail "the About box did not open"
contrast "About RGB Tintora" 6 "${HUELOFT_SCREENSHOT_CONTRAST_ABOUT:-}"
keys Escape
keys alt+x
wait_exit
echo "PASS"
