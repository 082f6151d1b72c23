#!/bin/sh
# SPDX-License-Identifier: MIT
# A whole session under Xvfb with a window manager: change the colour with the keyboard,
# switch the notation and always-on-top, close the About box by its keys after a click on the
# main window, exit with Alt+X, start again and find it all restored;
# then pick a colour from the desktop in the colour dialog.
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
# The task bar finds the launcher's entry by the window's class.
expect_equal "window class of the desktop entry" "$(xprop -id "$win" WM_CLASS | sed 's/.*", "//; s/"$//')" \
    "$(sed -n 's/^StartupWMClass=//p' "$here/../../editor/resources/io.github.hueloft.Hueloft.desktop")"
geometry_before=$(xdotool getwindowgeometry "$win" | tail -n +2)
# The window has one size: the window manager offers no Maximize.
xprop -id "$win" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE && fail "the window can be maximized"
keys Tab Tab Tab Tab Tab
# Dead keys compose "é" and "ä" (input-method text); only digits enter. xdotool maps each to a
# spare key code and back: a moment for the program to take the restored map.
keys dead_acute e dead_diaeresis a
sleep 1
type_text 17
keys Return
keys alt+a alt+t
expect_equal "on top after Alt+T" "$(above)" yes
expect_equal "position and size kept" "$(xdotool getwindowgeometry "$win" | tail -n +2)" \
    "$geometry_before"
# The About box is modal and keeps its keys: after a click on the main window, which it
# ignores, Enter and Escape still close the box.
for key in Return Escape; do
    keys alt+r
    keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
    keys Return
    about=""
    for _ in $(seq 100); do
        about=$(xdotool search --onlyvisible --name '^About RGB Tintora$' 2>/dev/null ||
            true)
        [ -n "$about" ] && break
        sleep 0.1
    done
    [ -n "$about" ] || fail "the About box did not open"
    xdotool mousemove --window "$win" 20 20 click 1
    sleep 0.5
    keys "$key"
    for _ in $(seq 30); do
        xdotool search --onlyvisible --name '^About RGB Tintora$' >/dev/null 2>&1 || break
        sleep 0.1
    done
    xdotool search --onlyvisible --name '^About RGB Tintora$' >/dev/null 2>&1 &&
        fail "$key did not close the About box after a click on the main window"
    echo "ok: $key closes the About box after a click on the main window"
done
extents=$(xprop -id "$win" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
# The client area: the layout's size grown for the desktop's font.
eval "$(xdotool getwindowgeometry --shell "$win")"
client="$WIDTH $HEIGHT"
keys alt+x
wait_exit
[ -f "$prog/HUELOFT.INI" ] || fail "no settings file after Alt+X"
# The first run centres the whole window, frame included, on the 1280x1024 screen: within a
# pixel (15 twips) of the exact centre.
[ -n "$extents" ] || fail "the window manager gave the window no frame extents"
echo "frame extents (left, right, top, bottom): $extents"
centred=$(echo "$extents,$client" | tr ' ' ',' |
    awk -F, '{ printf "%d %d", (1280 - $5 - $1 - $2) * 15 / 2, (1024 - $6 - $3 - $4) * 15 / 2 }')
for axis in "Left ${centred% *}" "Top ${centred#* }"; do
    set -- $axis
    stored=$(ini_value 'RGB Tintora' "$1")
    [ "${stored:-x}" -ge $(($2 - 15)) ] 2>/dev/null && [ "$stored" -le $(($2 + 15)) ] ||
        fail "first-run $1 is '$stored' twips, the centre with the frame is $2"
    echo "ok: first-run $1 $stored (centre $2)"
done
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
expect_clipboard "restored colour and notation" "00110000H"
# Pick Screen Color on a desktop painted a known colour: Escape puts back the colour the
# dialog had while the pointer went over the desktop; a click there, then OK, takes it.
xsetroot -solid '#3366cc'
pick_from_desktop() { # the key that ends the pick: Escape, or none for a click
    keys alt+e
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name '^Select Color$' >/dev/null 2>&1 && break
        sleep 0.1
    done
    keys alt+p
    xdotool mousemove 20 1000
    sleep 0.3
    if [ -n "${1:-}" ]; then keys "$1"; else xdotool click 1; sleep 0.3; fi
    keys Return
    keys alt+r
}
pick_from_desktop Escape
expect_clipboard "Escape leaves the dialog as it was" "RGB(0, 0, 17)"
pick_from_desktop
expect_clipboard "colour picked from the desktop" "RGB(51, 102, 204)"
keys alt+t
expect_equal "ordinary again" "$(above)" no
# Closing the window from the window manager saves as well.
keys alt+F4
wait_exit
expect_equal "saved after close" "$(ini_value 'RGB Tintora' TopMost)" 0
expect_equal "picked colour saved" "$(ini_value 'RGB Color' Red),$(ini_value 'RGB Color' Green),$(ini_value 'RGB Color' Blue)" \
    "51,102,204"
expect_equal "custom colours untouched by picking" "$(ini_value 'Custom Colors' RGB_Color_0)" 0
echo "PASS"
