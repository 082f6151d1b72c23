#!/bin/sh
# SPDX-License-Identifier: MIT
# The ways a session ends besides the Exit button: SIGTERM (a log-out), SIGHUP and SIGINT
# close the window and save like the close box, an open colour dialog first. Started where no session bus runs, the program leaves no
# bus daemon behind and no bus folder in the home folder.
# Usage: endings.sh <folder of hueloft and its libraries>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/lib.sh"

unset DBUS_SESSION_BUS_ADDRESS
# Without dbus-launch the library has nothing to launch and the check below proves nothing.
command -v dbus-launch >/dev/null ||
    fail "dbus-launch is missing (scripts/setup.sh test installs dbus-x11)"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"

start_window_manager

for signal in TERM HUP INT; do
    rm -f "$prog/HUELOFT.INI"
    launch
    kill -s "$signal" "$pid"
    wait_exit
    [ -f "$prog/HUELOFT.INI" ] || fail "nothing saved at SIG$signal"
    expect_equal "settings saved at SIG$signal" "$(ini_value 'RGB Sample' Width)" 32
    expect_equal "custom colours saved at SIG$signal" "$(ini_value 'Custom Colors' RGB_Color_15)" 0
done

# With the colour dialog open, a colour added to the custom colours: the signal ends the dialog
# as Cancel does, and the window saves what it left. Started without XDG_RUNTIME_DIR (su, a
# bare X session), the program makes no runtime folder and says nothing about it.
unset XDG_RUNTIME_DIR
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"
printf '[RGB Color]\nRed=10\n' >"$prog/HUELOFT.INI"
launch
keys alt+e
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Select Color$' >/dev/null 2>&1 && break
    sleep 0.1
done
keys alt+a
kill -s TERM "$pid"
wait_exit
expect_equal "custom colour added before SIGTERM" "$(ini_value 'Custom Colors' RGB_Color_0)" 10
expect_equal "colour kept, the dialog cancelled" "$(ini_value 'RGB Color' Red)" 10
expect_equal "no runtime folder made" "$(ls -A "$TMPDIR")" ""

# No daemon started for us: none runs with our display, and the home folder stays empty.
for p in $(pgrep -x dbus-daemon || true); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY"; then
        kill "$p" 2>/dev/null || true # ours: it would otherwise outlive the test
        fail "a dbus-daemon (pid $p) was started for the program's display"
    fi
done
# (The window manager keeps its own files in ~/.cache; the program has no business there.)
[ -e "$HOME/.dbus" ] && fail "a bus folder appeared in the home folder: $(find "$HOME/.dbus")"
expect_equal "settings only beside the program" "$(cd "$HOME" && find . -name HUELOFT.INI)" ""
grep -v '^$' "$work/stderr" >/dev/null && fail "standard error: $(cat "$work/stderr")"
echo "PASS"
