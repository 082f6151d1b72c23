# SPDX-License-Identifier: MIT
# Shared steps of the Windows end-to-end tests: the Windows build run under the 64-bit Wine
# (never wine32) with a window manager, under the X server of tests/e2e/xserver.sh, driven with
# xdotool and read with xclip from outside, as a person would. Sourced by the test scripts.
# $1 is the folder of hueloft.exe and swatchy.dll; HUELOFT_WINEPREFIX names a prefix made by
# tests/e2e/wineprefix.sh (one per test run; a new one takes about ten seconds).

set -eu

winbin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wine" ] || { echo "SKIP: $wine is not installed (scripts/setup.sh test installs it)"; exit "${HUELOFT_SKIP_STATUS:-77}"; }
[ -f "$winbin/hueloft.exe" ] || { echo "SKIP: no Windows build in $winbin (scripts/build-windows.sh)"; exit "${HUELOFT_SKIP_STATUS:-77}"; }
[ -d "${HUELOFT_WINEPREFIX:-}" ] || { echo "FAIL: HUELOFT_WINEPREFIX is no Wine prefix" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-wine.XXXXXX")
export WINEPREFIX="$HUELOFT_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
prog="$work/prog"
pid=""
wm=""

# A fresh program folder (Z: is the root of the Unix file system in Wine).
fresh_folder() {
    rm -rf "$prog"
    mkdir -p "$prog"
    cp "$winbin/hueloft.exe" "$winbin/swatchy.dll" "$prog/"
}
fresh_folder

mounted=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    [ -n "$mounted" ] && umount "$mounted" 2>/dev/null || true
    "$wineserver" -k 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Polls for a visible window whose name matches $1, other than those listed in $2; prints its id.
find_window() {
    for _ in $(seq 300); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null |
            grep -vxF -e "${2:-none}" | head -n 1 || true)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.1
    done
    return 1
}

# Starts hueloft.exe from $prog (or the program given, with the arguments after it) and waits
# for its window; $win is it.
launch() {
    exe="${1:-$prog/hueloft.exe}"
    [ $# -gt 0 ] && shift
    shown=$(xdotool search --onlyvisible --name '^RGB Tintora$' 2>/dev/null || true)
    "$wine" "$exe" "$@" 2>>"$work/stderr" &
    pid=$!
    win=$(find_window '^RGB Tintora$' "$shown") || fail "the window did not appear"
    sleep 0.5
    read_boxes
    xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus --sync "$win" || true
    sleep 0.5
}

# Reads every box that tells a problem, as a person would, and closes it; their texts go to
# $work/boxes, a line each. $1: a command to run read_box.exe under (another user's Wine).
read_boxes() {
    for _ in 1 2 3 4 5 6 7 8; do
        xdotool search --onlyvisible --name '^RGB Tintora - Warning$' >/dev/null 2>&1 || return 0
        ${1:-} "$wine" "$winbin/read_box.exe" 'RGB Tintora - Warning' 5 | tr -d '\r' >>"$work/boxes"
        sleep 0.3
    done
    fail "a box stays up: read_box.exe cannot close it"

}

keys() {
    xdotool key --clearmodifiers --delay 80 "$@"
    sleep 0.4
}

type_text() {
    xdotool type --delay 80 "$1"
    sleep 0.3
}

# Waits for the editor to end on its own, reading the boxes it shows meanwhile; fails when it
# does not, or ends with another status than 0 (a crash at exit: Wine reports the exception's
# code). $1: as for read_boxes.
wait_exit() {
    for _ in $(seq 150); do
        # A save that failed is told in a box before the program ends.
        read_boxes "${1:-}"
        if ! kill -0 "$pid" 2>/dev/null; then
            status=0
            wait "$pid" || status=$?
            pid=""
            [ "$status" -eq 0 ] || fail "the editor ended with status $status"
            return 0
        fi
        sleep 0.1
    done
    fail "the editor did not exit"
}

. "$here/../e2e/common.sh"
