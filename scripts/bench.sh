#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds build-bench in Release and prints the performance table of hueloft against a bare Qt
# window, every figure the median of repeated runs made by this one command.
#
#   scripts/bench.sh [--runs N] [--no-build] [--callgrind]
#
# --runs: start-up runs per program and platform, and repeats of each in-process figure
# (default 21, made odd). --callgrind also profiles the exit writes, Form_Load, a drag and a
# copy under callgrind and prints where the time goes. Installs what is missing with apt-get
# (through sudo when not root): GNU time, strace, Xvfb, the X DAMAGE headers, valgrind.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-bench"
runs=21
do_build=1
do_callgrind=0
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --no-build) do_build=0; shift ;;
        --callgrind) do_callgrind=1; shift ;;
        *) echo "usage: $0 [--runs N] [--no-build] [--callgrind]" >&2; exit 2 ;;
    esac
done
[ $((runs % 2)) -eq 1 ] || runs=$((runs + 1))

# --- tools -----------------------------------------------------------------------------------
missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v strace >/dev/null || missing+=(strace)
command -v Xvfb >/dev/null || missing+=(xvfb)
[ -f /usr/include/X11/extensions/Xdamage.h ] || missing+=(libxdamage-dev)
[ -f /usr/include/X11/Xlib.h ] || missing+=(libx11-dev)
if [ "$do_callgrind" = 1 ]; then
    command -v valgrind >/dev/null || missing+=(valgrind)
fi
if [ ${#missing[@]} -gt 0 ]; then
    as_root=()
    [ "$(id -u)" = 0 ] || as_root=(sudo)
    echo "bench: installing ${missing[*]}" >&2
    "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null \
        || { "${as_root[@]}" apt-get update >/dev/null \
                 && "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}" \
                        >/dev/null; }
fi

# --- build -----------------------------------------------------------------------------------
targets=(hueloft swatchy bench_baseline bench_controls bench_startup bench_window bench_launch bench_profile)
if [ "$do_build" = 1 ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHUELOFT_BUILD_BENCH=ON \
        -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" --target "${targets[@]}" -j2 >/dev/null
fi
grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" \
    || { echo "bench: $build is not a Release build" >&2; exit 1; }

# --- a copy of the program folder with a settings file, and a fresh HOME ---------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-bench.XXXXXX")
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
    if [ -n "${shm_dir:-}" ]; then rm -rf "$shm_dir"; fi
}
trap cleanup EXIT
prog="$work/prog"
cp -a "$build/bin" "$prog"
{
    printf '[RGB Tintora]\nTop=2415\nLeft=4485\nTopMost=0\nHexaFormat=1\n'
    printf '[RGB Sample]\nWidth=32\nHeight=32\n'
    printf '[RGB Color]\nRed=18\nGreen=52\nBlue=86\n'
    printf '[Custom Colors]\n'
    for i in $(seq 0 15); do printf 'RGB_Color_%d=%d\n' "$i" $((i * 1118481)); done
} >"$prog/HUELOFT.INI"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
# No session bus for either program: without one, libdbus would launch a bus for the bare Qt
# window at every start (the editor declines to), and the baseline would pay for it.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
unset XDG_CONFIG_HOME QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR || true
export LC_ALL=C.UTF-8
results="$work/results"
mkdir -p "$results"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# --- Xvfb on a free display --------------------------------------------------------------------
exec 9>"$work/display"
# -noreset: a run that starts as the last one ended must not meet a server starting over.
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
exec 9>&-
[ -s "$work/display" ] || { echo "bench: Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$work/display")"

# value NAME FILE: the value of the line "NAME value" in FILE.
value() { awk -v k="$1" '$1 == k { print $2 }' "$2"; }
# rss FILE: the last number /usr/bin/time wrote.
rss() { awk '/^rss / { v = $2 } END { print v }' "$1"; }
median() { sort -g "$1" | awk '{ a[NR] = $1 } END { if (NR) print a[int((NR + 1) / 2)]; else print "nan" }'; }

# start-up: one run of one program on one platform, figures appended to $results/<tag>.*
run_x11() { # tag title program
    local out="$work/out"
    DISPLAY=$display QT_QPA_PLATFORM=xcb BENCH_STAY=1 "$prog/bench_launch" --wrapped \
        --x11 "$2" -- /usr/bin/time -f 'rss %M' -o "$work/rss" "$prog/$3" >"$out" 2>"$work/err" \
        || { cat "$work/err" >&2; exit 1; }
    value map-ms "$out" >>"$results/$1.map"
    value frame-ms "$out" >>"$results/$1.frame"
    value cpu-ms "$out" >>"$results/$1.cpu"
    rss "$work/rss" >>"$results/$1.rss"
}
run_offscreen() { # tag program
    local out="$work/out"
    QT_QPA_PLATFORM=offscreen "$prog/bench_launch" -- /usr/bin/time -f 'rss %M' -o "$work/rss" \
        "$prog/$2" >"$out" 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    value first-frame-ms "$out" >>"$results/$1.frame"
    value exit-ms "$out" >>"$results/$1.exit"
    value cpu-ms "$out" >>"$results/$1.cpu"
    local figure
    for figure in form-load construct; do
        local v
        v=$(value "$figure-ms" "$out")
        [ -z "$v" ] || echo "$v" >>"$results/$1.$figure"
    done
    rss "$work/rss" >>"$results/$1.rss"
}

echo "bench: $runs start-up runs per program and platform (after 2 warm-up runs)" >&2
# Each run starts after a short pause, so that the X server has finished with the previous
# client; the order within a round turns around every round, so neither program always follows
# the same one.
settle() { sleep 0.1; }
for i in $(seq $((runs + 2))); do
    if [ $((i % 2)) = 1 ]; then
        run_x11 x-base "Bench Baseline" bench_baseline; settle
        run_x11 x-ctl "Bench Controls" bench_controls; settle
        run_x11 x-app "RGB Tintora" hueloft; settle
        run_offscreen o-base bench_baseline; settle
        run_offscreen o-ctl bench_controls; settle
        run_offscreen o-app bench_startup; settle
    else
        run_offscreen o-app bench_startup; settle
        run_offscreen o-ctl bench_controls; settle
        run_offscreen o-base bench_baseline; settle
        run_x11 x-app "RGB Tintora" hueloft; settle
        run_x11 x-ctl "Bench Controls" bench_controls; settle
        run_x11 x-base "Bench Baseline" bench_baseline; settle
    fi
    if [ "$i" = 2 ]; then rm -f "$results"/*; fi # the warm-up runs fill caches only
done

echo "bench: in-process figures" >&2
QT_QPA_PLATFORM=offscreen "$prog/bench_window" --runs "$runs" --dir "$work/settings" \
    >"$results/w-disk"
shm_dir=
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    shm_dir=$(mktemp -d /dev/shm/hueloft-bench.XXXXXX)
    QT_QPA_PLATFORM=offscreen "$prog/bench_window" --runs "$runs" --dir "$shm_dir" \
        >"$results/w-shm"
fi
DISPLAY=$display QT_QPA_PLATFORM=xcb "$prog/bench_window" --runs "$runs" \
    --dir "$work/settings-x" >"$results/w-x11"
# Qt's raster engine hands large span fills (the scroll bar's lines) to its thread pool; on a
# virtual machine, waking an idle processor for them costs as much as the paint itself. The
# same run on one processor shows the program's own cost.
if command -v taskset >/dev/null; then
    QT_QPA_PLATFORM=offscreen taskset -c 0 "$prog/bench_window" --runs "$runs" \
        --dir "$work/settings-1" >"$results/w-one"
fi

echo "bench: counting renames and fsyncs" >&2
count_calls() { # scenario -> "renames fsyncs"
    QT_QPA_PLATFORM=offscreen strace -f -qq -o "$work/strace" \
        -e trace=rename,renameat,renameat2,fsync,fdatasync \
        "$prog/bench_window" --only "$1" --dir "$work/settings-s" >/dev/null
    awk '/ rename(at2?)?\(/ { r++ } / f(data)?sync\(/ { f++ } END { printf "%d %d\n", r, f }' \
        "$work/strace"
}
# The whole process is traced; start-up alone does neither, which "none" shows.
for scenario in none load replace-base unload-new unload-color unload-same unload-linked; do
    echo "$scenario $(count_calls "$scenario")" >>"$results/calls"
done
strace_summary() { # the strace -c table of the exit that writes every key
    QT_QPA_PLATFORM=offscreen strace -c -w -f -o "$work/strace-c" \
        -e trace=rename,renameat,renameat2,fsync,fdatasync \
        "$prog/bench_window" --only unload-new --dir "$work/settings-s" >/dev/null
    cat "$work/strace-c"
}

# --- the table ---------------------------------------------------------------------------------
row() { # label hueloft baseline unit target kind(ratio|abs)
    awk -v l="$1" -v a="$2" -v b="$3" -v u="$4" -v t="$5" -v k="$6" 'BEGIN {
        r = (b + 0 > 0) ? sprintf("%.2f", a / b) : "-"
        bs = (b == "") ? "-" : ((u == "KB") ? sprintf("%d", b) : sprintf("%.3f", b))
        if (t == "") { v = "" }
        else if (k == "ratio") { v = (a / b <= t + 0) ? "met" : "MISSED" }
        else { v = (a + 0 <= t + 0) ? "met" : "MISSED" }
        tt = (t == "") ? "" : (k == "ratio" ? "ratio <= " t : "<= " t " " u)
        fmt = (u == "KB") ? "%-56s %10d %10s %6s  %-16s %s\n" : "%-56s %10.3f %10s %6s  %-16s %s\n"
        printf fmt, l " (" u ")", a, bs, r, tt, v
    }'
}
m() { median "$results/$1"; }
w() { value "$2" "$results/w-$1"; }

cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
settings_fs=$(df -T "$work" | awk 'NR == 2 { print $2 }')
echo
echo "hueloft benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'); nproc $(nproc), $cpu;" \
     "load average before: $load_before"
echo "Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6), Release; medians of $runs runs" \
     "(start-up: separate processes; others: in one process)"
printf '%-56s %10s %10s %6s  %-16s %s\n' "measure" "hueloft" "baseline" "ratio" "target" ""
printf '%s\n' "$(printf '%.0s-' $(seq 104))"
row "Start-up to first frame, Xvfb, seen from outside" "$(m x-app.frame)" "$(m x-base.frame)" ms 1.0 ratio
row "Start-up to mapped window, Xvfb (xdotool's view)" "$(m x-app.map)" "$(m x-base.map)" ms "" ratio
row "Start-up to first frame, offscreen, in-process" "$(m o-app.frame)" "$(m o-base.frame)" ms 1.0 ratio
row "Start-up to exit after first frame, offscreen" "$(m o-app.exit)" "$(m o-base.exit)" ms "" ratio
row "Processor time of those runs (user+sys), Xvfb" "$(m x-app.cpu)" "$(m x-base.cpu)" ms 1.0 ratio
row "Processor time of those runs (user+sys), offscreen" "$(m o-app.cpu)" "$(m o-base.cpu)" ms 1.0 ratio
row "Peak memory, Xvfb runs" "$(m x-app.rss)" "$(m x-base.rss)" KB 1.05 ratio
row "Peak memory, offscreen runs" "$(m o-app.rss)" "$(m o-base.rss)" KB 1.05 ratio
echo "  against the same 31 controls made bare (bench_controls) instead of one label:"
row "  first frame, Xvfb, seen from outside" "$(m x-app.frame)" "$(m x-ctl.frame)" ms 1.0 ratio
row "  first frame, offscreen, in-process" "$(m o-app.frame)" "$(m o-ctl.frame)" ms 1.0 ratio
row "  processor time, Xvfb" "$(m x-app.cpu)" "$(m x-ctl.cpu)" ms 1.0 ratio
row "  processor time, offscreen" "$(m o-app.cpu)" "$(m o-ctl.cpu)" ms 1.0 ratio
row "  peak memory, Xvfb" "$(m x-app.rss)" "$(m x-ctl.rss)" KB 1.05 ratio
row "  peak memory, offscreen" "$(m o-app.rss)" "$(m o-ctl.rss)" KB 1.05 ratio
row "Drag step, offscreen (vs bare bar+labels)" "$(w disk drag-ms)" "$(w disk drag-base-ms)" ms 0.2 abs
row "Drag step, Xvfb (vs bare bar+labels)" "$(w x11 drag-ms)" "$(w x11 drag-base-ms)" ms 0.2 abs
if [ -f "$results/w-one" ]; then
    row "Drag step, offscreen, on one processor (taskset)" "$(w one drag-ms)" "$(w one drag-base-ms)" ms 0.2 abs
fi
row "MainWindow construction, offscreen (Qt font set-up in)" "$(m o-app.construct)" "" ms "" abs
row "Form_Load, first call: loads swatchy (vs read file)" "$(m o-app.form-load)" "$(w disk read-base-ms)" ms 2 abs
row "Form_Load, swatchy loaded (vs read file)" "$(w disk load-ms)" "$(w disk read-base-ms)" ms 2 abs
row "Exit, no file yet: 25 keys, $settings_fs (vs 1 replace)" "$(w disk unload-new-ms)" "$(w disk replace-base-ms)" ms 10 abs
row "Exit, colour changed, $settings_fs (vs 1 replace)" "$(w disk unload-color-ms)" "$(w disk replace-base-ms)" ms 10 abs
row "Exit, nothing changed, $settings_fs (vs 1 replace)" "$(w disk unload-same-ms)" "$(w disk replace-base-ms)" ms 10 abs
row "Exit, colour changed, hard link (in place), $settings_fs" "$(w disk unload-linked-ms)" "$(w disk replace-base-ms)" ms 10 abs
if [ -f "$results/w-shm" ]; then
    row "Exit, no file yet: 25 keys, tmpfs (vs 1 replace)" "$(w shm unload-new-ms)" "$(w shm replace-base-ms)" ms 10 abs
    row "Exit, colour changed, tmpfs (vs 1 replace)" "$(w shm unload-color-ms)" "$(w shm replace-base-ms)" ms 10 abs
fi
row "Copy Color Sample 256x256, offscreen (vs bare)" "$(w disk copy-ms)" "$(w disk copy-base-ms)" ms 2 abs
row "Copy Color Sample 256x256, Xvfb (vs bare)" "$(w x11 copy-ms)" "$(w x11 copy-base-ms)" ms 2 abs
echo
echo "File replacements and syncs (strace -f, whole process; 'none' is start-up alone,"
echo "'replace-base' the yardstick: one crash-safe replacement):"
printf '  %-14s %8s %8s\n' scenario renames fsyncs
while read -r scenario renames syncs; do
    printf '  %-14s %8s %8s\n' "$scenario" "$renames" "$syncs"
done <"$results/calls"
echo
echo "strace -c -w -f (wall time) of the exit that writes every key, $settings_fs:"
strace_summary | sed 's/^/  /'

echo
echo "Profile layer on its own (bench_profile), $settings_fs:"
"$prog/bench_profile" "$work" | sed 's/^/  /'

# --- where the time goes -------------------------------------------------------------------------
# inclusive FILE NAME...: "Ir<tab>NAME" for each function, from a callgrind file: the largest
# inclusive count among the entries of that name (overloads), recursion entries left out.
inclusive() {
    local file=$1
    shift
    callgrind_annotate --inclusive=yes --threshold=100 "$file" 2>/dev/null >"$file.annotated"
    local name
    for name in "$@"; do
        awk -v n="$name" -v sq="'" '{ line = $0; sub(/^ */, "", line); split(line, f, " ")
            fn = line; sub(/^[0-9,]+ \([ 0-9.%]+\) +/, "", fn); sub(/^\?\?\?:/, "", fn)
            sub(/ \[.*$/, "", fn); sub(/^[^ (]*\.(c|S|h|cc|cpp):/, "", fn)
            if (fn ~ (sq "[0-9]+$")) next
            if (fn == n || index(fn, n "(") == 1 || index(fn, n "[") == 1) { gsub(/,/, "", f[1]); if (f[1] + 0 > m) m = f[1] + 0 } }
            END { printf "%.0f", m }' "$file.annotated"
        printf '\t%s\n' "$name"
    done
}
if [ "$do_callgrind" = 1 ]; then
    echo
    echo "callgrind, start-up offscreen: instructions (Ir) of the editor's harness and the baseline"
    for program in bench_startup bench_baseline bench_controls; do
        QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind \
            --callgrind-out-file="$work/cg.$program" "$prog/$program" >/dev/null 2>"$work/cg.log"
    done
    printf '  %14s %14s  %s\n' hueloft baseline "function (inclusive)"
    join_cg() {
        paste <(inclusive "$work/cg.bench_startup" "$@") \
            <(inclusive "$work/cg.bench_baseline" "$@") \
            | awk -F'\t' '{ printf "  %14.0f %14.0f  %s\n", $1, $3, $2 }'
    }
    printf '  %14s %14s  %s\n' \
        "$(callgrind_annotate "$work/cg.bench_startup" 2>/dev/null | awk '/PROGRAM TOTALS/ { print $1 }')" \
        "$(callgrind_annotate "$work/cg.bench_baseline" 2>/dev/null | awk '/PROGRAM TOTALS/ { print $1 }')" \
        "whole program"
    printf '  %14s %14s  %s\n' "" \
        "$(callgrind_annotate "$work/cg.bench_controls" 2>/dev/null | awk '/PROGRAM TOTALS/ { print $1 }')" \
        "whole program of the 31 controls made bare (bench_controls)"
    join_cg _dl_start main QFontDatabasePrivate::ensureFontDatabase \
        QFontDatabasePrivate::loadEngine MainWindow::MainWindow MainWindow::createControls \
        hueloft::applicationIcon hueloft::MainForm::Form_Load "DeclaredFunctions::Private::load" \
        hueloft::MainForm::ApplyColor QFactoryLoader::instance QWidget::show \
        QWidgetRepaintManager::sync QPushButton::paintEvent QLabel::paintEvent \
        QGroupBox::paintEvent QRadioButton::paintEvent QCheckBox::paintEvent \
        QScrollBar::paintEvent QLineEdit::paintEvent QFontEngineFT::loadGlyph
    # cg_table FILE DIVISOR UNIT NAME...: inclusive Ir of each function, and per UNIT.
    cg_table() {
        local file=$1 divisor=$2 unit=$3
        shift 3
        printf '  %14s %12s  %s\n' Ir "Ir/$unit" "function (inclusive)"
        inclusive "$file" "$@" | awk -F'\t' -v d="$divisor" '{ printf "  %14.0f %12.0f  %s\n", $1, $1 / d, $2 }'
    }
    cg_only() { # what extra-arguments...
        local what=$1
        shift
        QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind --instr-atstart=no \
            --callgrind-out-file="$work/cg.$what" "$prog/bench_window" --only "$what" "$@" \
            --dir "$work/settings-cg" >"$work/cg.out" 2>"$work/cg.log" \
            || { cat "$work/cg.log" >&2; return 1; }
    }
    echo
    echo "callgrind, exit with no file yet (--only unload-new), instrumented part only:"
    cg_only unload-new
    cg_table "$work/cg.unload-new" 25 write hueloft::MainForm::Form_Unload \
        DeclaredFunctions::writePrivateProfileString DeclaredFunctions::saveCustomColors \
        platform::WritePrivateProfileStringA platform::profile::edited
    echo
    echo "callgrind, Form_Load with the file present (--only load):"
    cg_only load
    cg_table "$work/cg.load" 1 call hueloft::MainForm::Form_Load hueloft::MainForm::ApplyColor \
        hueloft::MainForm::RefreshColor NumberBox::showText DeclaredFunctions::loadCustomColors \
        DeclaredFunctions::getPrivateProfileInt platform::GetPrivateProfileIntA
    echo
    echo "callgrind, 255 drag steps (--only drag):"
    cg_only drag --steps 255
    echo "  painted: $(sed 's/^painted //' "$work/cg.out" | tr '\n' ',' | sed 's/,$//')"
    cg_table "$work/cg.drag" 255 step "(anonymous namespace)::dragSteps" hueloft::MainForm::RefreshColor \
        QWidgetRepaintManager::paintAndFlush QLabel::paintEvent QFrame::drawFrame \
        QScrollBar::paintEvent QLineEdit::paintEvent QPainter::drawText
    echo
    echo "callgrind, one Copy Color Sample at 256 x 256 (--only copy):"
    cg_only copy
    cg_table "$work/cg.copy" 1 click QAbstractButton::click hueloft::MainForm::cmdCopySample_Click \
        QImage::fill QClipboard::setImage QWidgetRepaintManager::paintAndFlush
fi
