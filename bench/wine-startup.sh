#!/bin/sh
# SPDX-License-Identifier: MIT
# Start-up time of hueloft.exe under Wine beside its baseline (bench/win32_baseline.cpp: the
# same 31 controls made bare), started in turn, several times: from the start of the process
# until its window is mapped, as xdotool sees it, and the processor time the process (all its
# threads; not wineserver's) has used by then, which the machine's load moves less. One Wine program stays alive for the whole
# run, as on a desktop where Wine already runs: when the last one ends, Wine's own services
# stop, and the next start can wait about ten seconds for them. A start over 2 s is a stall:
# counted apart, left out of the medians. Prints each program's times, medians and the ratio,
# with the spread of the ratios of the pairs. Not a CI test.
# Usage: bench/wine-startup.sh [runs] [Windows bin folder]
#        (21 runs and build-windows/bin by default; scripts/build-windows.sh first)
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/../tests/e2e/xserver.sh" \
    "$0" "$@"
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-21}
bin=${2:-$top/build-windows/bin}
stall=2000
wine=/usr/lib/wine/wine64
work=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-bench.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wm=""
cleanup() {
    exec 9>&- 2>/dev/null || true
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/prog"
cp "$bin/hueloft.exe" "$bin/swatchy.dll" "$work/prog/"
# The baseline gets the editor's manifest (common controls 6, DPI awareness) and layout table.
sed 's/@HUELOFT_MANIFEST_VERSION@/1.0.0.0/' "$top/editor/resources/hueloft.manifest.in" \
    >"$work/baseline.manifest"
printf '1 24 "baseline.manifest"\n' >"$work/baseline.rc"
(cd "$work" && x86_64-w64-mingw32-windres baseline.rc -O coff -o baseline.res)
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -mwindows -I"$top" \
    "$top/bench/win32_baseline.cpp" "$top/editor/core/layout.cpp" "$work/baseline.res" \
    -lcomctl32 -o "$work/prog/baseline.exe"

"$wine" wineboot -i >/dev/null 2>&1
cp /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# The program kept alive: a command prompt reading from a pipe that stays open until the end.
mkfifo "$work/hold"
"$wine" cmd.exe <"$work/hold" >/dev/null 2>&1 &
exec 9>"$work/hold"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done

now() { date +%s%N; }
one() { # program title -> milliseconds until its window shows, processor time by then (ms)
    start=$(now)
    "$wine" "$work/prog/$1" &
    pid=$! # wine64 becomes the Windows process: the same process id
    until w=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1) && [ -n "$w" ]; do
        sleep 0.01
    done
    end=$(now)
    cpu=$(cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%.1f", t / 1e6 }')
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
    echo $(((end - start) / 1000000)) "$cpu"
}
base() { one baseline.exe '^Baseline window$'; }
prog() { one hueloft.exe '^RGB Tintora$'; }
# quantile <q>: of the numbers on standard input, by the nearest rank.
quantile() { sort -g | awk -v q="$1" '{a[NR]=$1} END {i=int(q*NR+0.999); if(i<1)i=1; print a[i]}'; }

base >/dev/null # the first starts of the prefix: not counted
prog >/dev/null
: >"$work/base"; : >"$work/prog.times"; : >"$work/ratios"; : >"$work/cpu"
for i in $(seq "$runs"); do
    # Each goes first in every other pair: the one after may find more of the system warm.
    if [ $((i % 2)) -eq 1 ]; then b=$(base); p=$(prog); else p=$(prog); b=$(base); fi
    echo "$b" >>"$work/base"
    echo "$p" >>"$work/prog.times"
    echo "$b $p" | awk -v s="$stall" '$1 <= s && $3 <= s {
        printf "%.3f\n", $3 / $1 >>"'"$work/ratios"'"; printf "%.3f\n", $4 / $2 }' >>"$work/cpu"
done
report() { # label file
    stalls=$(awk -v s="$stall" '$1 > s' "$2" | wc -l)
    echo "$1 $(cut -d' ' -f1 "$2" | tr '\n' ' ')ms; median" \
        "$(awk -v s="$stall" '$1 <= s { print $1 }' "$2" | quantile 0.5) ms, stalls $stalls;" \
        "processor time median $(awk -v s="$stall" '$1 <= s { print $2 }' "$2" | quantile 0.5) ms"
}
spread() { # file -> median, quartiles and range of its numbers
    echo "median $(quantile 0.5 <"$1"), quartiles $(quantile 0.25 <"$1")-$(quantile 0.75 <"$1")," \
        "range $(quantile 0 <"$1")-$(quantile 1 <"$1")"
}
report "baseline (31 controls bare):" "$work/base"
report "hueloft.exe:                " "$work/prog.times"
echo "ratios of the $(wc -l <"$work/ratios") pairs without a stall, to the window: $(spread "$work/ratios")"
echo "                                     processor time: $(spread "$work/cpu")"
