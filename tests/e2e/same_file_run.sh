#!/bin/sh
# SPDX-License-Identifier: MIT
# One build of the two through the same session, for tests/e2e/same_file.sh: a first run from
# no settings file, then a second run that changes what the first saved. Leaves the settings
# file at <output>.
# Usage: same_file_run.sh linux|windows <program folder> <output>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
build=$1
output=$3
set -- "$2"
case "$build" in
linux) . "$(dirname "$0")/lib.sh" ;;
windows) . "$(dirname "$0")/wine.sh" ;;
*) echo "FAIL: no build called '$build'" >&2; exit 1 ;;
esac

# Always-on-top changes the window's state with the window manager; the keys that follow wait
# until it has, and for the window to have the keyboard again.
toggle_on_top() { # the state expected after Alt+T
    keys alt+t
    for _ in $(seq 50); do
        state=no
        xprop -id "$win" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE && state=yes
        [ "$state" = "$1" ] && break
        sleep 0.1
    done
    [ "$state" = "$1" ] || fail "always on top is '$state' after Alt+T, expected '$1'"
    xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
    sleep 0.3
}

start_window_manager

launch
keys Right Right Right
keys Tab Tab Tab Tab Tab
type_text 17
keys Return
keys alt+a
keys alt+w
type_text 48
keys alt+h
type_text 20
keys alt+s
toggle_on_top yes
keys alt+x
wait_exit

launch
keys Left
keys alt+p
toggle_on_top no
# Typed into the box and never committed: saved all the same.
# Alt+R apart from the Tabs: Qt presses a button by its access key some 100 ms later, and a
# Tab typed in between would move the focus before the copy gives it to the red scroll bar.
keys alt+r
keys Tab Tab Tab Tab
type_text 250
keys alt+F4
wait_exit

if [ -s "$work/stderr" ]; then
    cat "$work/stderr" >&2
    fail "the editor wrote to standard error"
fi
[ -f "$prog/HUELOFT.INI" ] || fail "no settings file"
cp "$prog/HUELOFT.INI" "$output"
echo "PASS: $build"
