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

# The editor's start-up and shut-down on kernel32 and swatchy.dll: a first run writes the nine
# settings in their order and the sixteen custom colours; a second run keeps what it read.
start=$(now)
(cd "$work/prog" && "$wine" hueloft.exe) 2>"$work/err" || fail "hueloft.exe: $(cat "$work/err")"
ini="$work/prog/HUELOFT.INI"
[ -f "$ini" ] || fail "hueloft.exe wrote no HUELOFT.INI"
keys=$(tr -d '\r' <"$ini" | sed -n 's/=.*//p' | tr '\n' ' ')
expected="Top Left TopMost HexaFormat Width Height Red Green Blue"
for i in $(seq 0 15); do expected="$expected RGB_Color_$i"; done
[ "$keys" = "$expected " ] || fail "keys in HUELOFT.INI: $keys"
printf '[RGB Color]\r\nRed=300\r\nGreen=7\r\nBlue=-5\r\n[RGB Tintora]\r\nHexaFormat=7\r\nLeft=-30\r\nTop=45\r\nTopMost=5\r\n[RGB Sample]\r\nWidth=1000\r\nHeight=3\r\n[Custom Colors]\r\nRGB_Color_2=-1\r\n' >"$ini"
(cd "$work/prog" && "$wine" hueloft.exe) 2>"$work/err" || fail "hueloft.exe, second run: $(cat "$work/err")"
got=$(tr -d '\r' <"$ini" | tr '\n' ' ')
want="[RGB Color] Red=255 Green=7 Blue=0 [RGB Tintora] HexaFormat=7 Left=-30 Top=45 TopMost=5 [RGB Sample] Width=1000 Height=3 [Custom Colors] RGB_Color_2=-1 "
case "$got" in
    "$want"*) ;;
    *) fail "second run wrote: $got" ;;
esac
tr -d '\r' <"$ini" | grep -qx "RGB_Color_15=0" || fail "second run did not save the custom colours"
echo "program checks in $(elapsed "$start") s"
echo "PASS"
