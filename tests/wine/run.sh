#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows build under Wine, in one throwaway prefix, under an X server of its own with a
# window manager: swatchy.dll's store through kernel32's profile functions and its dialog on
# the real ChooseColorA, then hueloft.exe's start-up and shut-down sequences round trip.
# Usage: run.sh <Windows build's bin folder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${HUELOFT_WINE_XSERVER:-}" ]; then
    HUELOFT_WINE_XSERVER=1 exec sh "$here/../e2e/xserver.sh" sh "$0" "$@"
fi
bindir=$1
wine=/usr/lib/wine/wine64
for f in hueloft.exe swatchy.dll tst_swatchy_wine.exe; do
    [ -f "$bindir/$f" ] || { echo "FAIL: $bindir/$f is missing: run scripts/build-windows.sh" >&2; exit 1; }
done
[ -x "$wine" ] || { echo "FAIL: $wine is missing: run scripts/setup.sh windows" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-wine.XXXXXX")
wm=""
cleanup() {
    # Only what this test started: the prefix's own wineserver, then the window manager.
    WINEPREFIX="$work/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="$work/home"
mkdir -p "$HOME" "$work/prog" "$work/scratch"
cp "$bindir/hueloft.exe" "$bindir/swatchy.dll" "$bindir/tst_swatchy_wine.exe" "$work/prog/"

openbox --sm-disable >/dev/null 2>"$work/openbox.log" &
wm=$!
for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    kill -0 "$wm" 2>/dev/null || fail "openbox died: $(cat "$work/openbox.log")"
    sleep 0.1
done

# The prefix is made once, by the first program; everything after reuses it.
start=$(now)
"$wine" wineboot --init >/dev/null 2>&1 || fail "wineboot could not make the prefix"
echo "prefix made in $(elapsed "$start") s"

start=$(now)
status=0
(cd "$work/prog" && "$wine" tst_swatchy_wine.exe 'Z:'"$(echo "$work/scratch" | tr / '\\')") \
    >"$work/out" 2>"$work/err" || status=$?
tr -d '\r' <"$work/out"
echo "library checks in $(elapsed "$start") s"
[ "$status" -eq 0 ] || fail "tst_swatchy_wine.exe: status $status; $(cat "$work/err")"

# The editor now shows its window and waits for the user: start it, close it with Alt+X once
# its window is there, and wait for it to end.
run_editor() {
    (cd "$work/prog" && "$wine" hueloft.exe) 2>"$work/err" &
    editor=$!
    for _ in $(seq 300); do
        w=$(xdotool search --onlyvisible --name '^RGB Tintora$' 2>/dev/null | head -n 1 || true)
        [ -n "$w" ] && break
        sleep 0.1
    done
    [ -n "$w" ] || return 1
    if [ "${1:-}" = modules ]; then
        # Started, swatchy loaded, and its dialog's comdlg32 not yet.
        modules=$(cd "$work/prog" && "$wine" tst_swatchy_wine.exe --modules 'RGB Tintora' |
            tr -d '\r' | tr '\n' ' ')
        case " $modules" in *" swatchy.dll "*) ;; *) echo "modules: $modules" >&2; return 1 ;; esac
        case " $modules" in *" comdlg32.dll "*) echo "comdlg32.dll loaded at start" >&2; return 1 ;; esac
    fi
    xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
    sleep 0.5
    xdotool key --clearmodifiers alt+x
    wait "$editor"
}
# The editor's start-up and shut-down on kernel32 and swatchy.dll: a first run writes the nine
# settings in their order and the sixteen custom colours; a second run keeps what it read.
# A portable copy that can keep its own file leaves the per-user folder alone: one left by an
# earlier install keeps its time stamp, which a file made and removed there would move.
roaming=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | grep -v /Public/ | head -n 1)
mkdir -p "$roaming/hueloft" && touch -d @978307200 "$roaming/hueloft"
start=$(now)
run_editor modules || fail "hueloft.exe: $(cat "$work/err")"
ini="$work/prog/HUELOFT.INI"
[ -f "$ini" ] || fail "hueloft.exe wrote no HUELOFT.INI"
keys=$(tr -d '\r' <"$ini" | sed -n 's/=.*//p' | tr '\n' ' ')
expected="Top Left TopMost HexaFormat Width Height Red Green Blue"
for i in $(seq 0 15); do expected="$expected RGB_Color_$i"; done
[ "$keys" = "$expected " ] || fail "keys in HUELOFT.INI: $keys"
printf '[RGB Color]\r\nRed=300\r\nGreen=7\r\nBlue=-5\r\n[RGB Tintora]\r\nHexaFormat=7\r\nLeft=30\r\nTop=45\r\nTopMost=5\r\n[RGB Sample]\r\nWidth=1000\r\nHeight=3\r\n[Custom Colors]\r\nRGB_Color_2=-1\r\n' >"$ini"
run_editor || fail "hueloft.exe, second run: $(cat "$work/err")"
got=$(tr -d '\r' <"$ini" | tr '\n' ' ')
want="[RGB Color] Red=255 Green=7 Blue=0 [RGB Tintora] HexaFormat=7 Left=30 Top=45 TopMost=5 [RGB Sample] Width=1000 Height=3 [Custom Colors] RGB_Color_2=-1 "
case "$got" in
    "$want"*) ;;
    *) fail "second run wrote: $got" ;;
esac
tr -d '\r' <"$ini" | grep -qx "RGB_Color_15=0" || fail "second run did not save the custom colours"
[ "$(stat -c %Y "$roaming/hueloft")" = 978307200 ] && [ -z "$(ls -A "$roaming/hueloft")" ] ||
    fail "a portable start touched the per-user folder $roaming/hueloft"
echo "program checks in $(elapsed "$start") s"
echo "PASS"
