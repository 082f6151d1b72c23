#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs under tests/e2e/xserver.sh for the packaging tests: starts the program given, waits for its main
# window, notes which swatchy it mapped and the window's icon, then closes it with Alt+X as a
# person would.
# Usage: packaging_session.sh <program> <scratch folder>; leaves stdout, stderr, maps and
# wmicon there.
program=$1
scratch=$2

wm=""
if command -v openbox >/dev/null 2>&1; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    # A window mapped while the window manager is still starting can stay unmapped for good:
    # wait until it announces itself on the root window.
    tries=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
        command -v xprop >/dev/null 2>&1 || tries=90 # without xprop, wait one second
        [ $tries -ge 100 ] && break
        sleep 0.1
        tries=$((tries + 1))
    done
fi
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
}

# HUELOFT_RUN_AS: a command prefix that runs the program as another user (words split).
# shellcheck disable=SC2086
${HUELOFT_RUN_AS:-} "$program" >"$scratch/stdout" 2>"$scratch/stderr" &
pid=$!

window=""
tries=0
while [ $tries -lt 150 ]; do
    window=$(xdotool search --onlyvisible --name '^RGB Tintora$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
    tries=$((tries + 1))
done
if [ -z "$window" ]; then
    echo "no window named 'RGB Tintora' appeared within 30 s; the program said:" >&2
    cat "$scratch/stderr" >&2
    kill "$pid" 2>/dev/null
    cleanup
    exit 1
fi
# runuser starts the program as its child.
for process in "$pid" $(pgrep -P "$pid"); do
    grep -F libswatchy "/proc/$process/maps"
done >"$scratch/maps" 2>/dev/null
# The icon embedded in the program, as the window manager gets it.
if command -v xprop >/dev/null 2>&1; then
    xprop -len 1000000 -id "$window" _NET_WM_ICON >"$scratch/wmicon" 2>&1
fi

if [ -n "$wm" ]; then
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
else
    xdotool windowfocus --sync "$window"
fi
xdotool key --clearmodifiers alt+x

tries=0
while kill -0 "$pid" 2>/dev/null && [ $tries -lt 50 ]; do
    sleep 0.2
    tries=$((tries + 1))
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program was still running 10 s after Alt+X" >&2
    kill "$pid" 2>/dev/null
    cleanup
    exit 1
fi
wait "$pid"
status=$?
cleanup
if [ $status -ne 0 ]; then
    echo "the program exited with status $status; it said:" >&2
    cat "$scratch/stderr" >&2
fi
exit $status
