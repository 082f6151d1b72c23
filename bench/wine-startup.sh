#!/bin/sh
# SPDX-License-Identifier: MIT
# Start-up time of hueloft.exe under Wine beside a bare Win32 window program (baseline), both
# started in the same run, one after the other, several times: from the start of the process
# until its window is mapped, as xdotool sees it. Prints each median and the ratio. Not a CI
# test. Usage: bench/wine-startup.sh [runs] (7 by default); scripts/build-windows.sh first.
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/../tests/e2e/xserver.sh" \
    "$0" "$@"
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
wine=/usr/lib/wine/wine64
work=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-bench.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; kill $wm 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/prog"
cp "$top/build-windows/bin/hueloft.exe" "$top/build-windows/bin/swatchy.dll" "$work/prog/"
x86_64-w64-mingw32-g++-posix -O2 -static -municode -mwindows "$top/bench/win32_baseline.cpp" \
    -o "$work/prog/baseline.exe"
# wineserver stays up between runs, as it does on a desktop where Wine already runs. It is
# started before the prefix is made: a second server for the same prefix refuses to start.
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p
"$wine" wineboot -i >/dev/null 2>&1
cp /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done

now() { date +%s%N; }
one() { # program title -> milliseconds until its window shows
    start=$(now)
    "$wine" "$work/prog/$1" &
    pid=$!
    until w=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1) && [ -n "$w" ]; do
        sleep 0.01
    done
    end=$(now)
    # Closed as a person closes it (the window manager's Alt+F4 becomes WM_CLOSE): destroying
    # the X window would leave the Windows program running, and the next run waiting for it.
    xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers alt+F4
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

one baseline.exe '^Baseline window$' >/dev/null # first start of the prefix: not counted
: >"$work/base" ; : >"$work/prog.times"
for _ in $(seq "$runs"); do
    one baseline.exe '^Baseline window$' >>"$work/base"
    one hueloft.exe '^RGB Tintora$' >>"$work/prog.times"
done
b=$(median <"$work/base")
p=$(median <"$work/prog.times")
echo "baseline (bare Win32 window): $(tr '\n' ' ' <"$work/base")ms, median $b ms"
echo "hueloft.exe:                  $(tr '\n' ' ' <"$work/prog.times")ms, median $p ms"
awk -v p="$p" -v b="$b" 'BEGIN { printf "ratio hueloft.exe / baseline: %.2f\n", p / b }'
