#!/bin/bash
# SPDX-License-Identifier: MIT
# Start-up and exit of the editor on a large settings file: 3,500,000 section headers (59 MB,
# under the 64 MiB beyond which a file is not read) with the program's own sections at the end, read by Form_Load and written by the exit whose
# colour changed. Prints, for each, the wall time between bench_window's "begin" and "end"
# lines and the process's peak resident memory, and for the exit the renames and fsyncs.
# Usage: bench/largefile.sh <Release build folder with bench_window> [sections]
set -euo pipefail
build=$1
sections=${2:-3500000}
work=$(mktemp -d "${TMPDIR:-/var/tmp}/hueloft-largefile.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -a "$build/bin" "$work/prog"
awk -v n="$sections" 'BEGIN {
    for (i = 0; i < n; i++) printf "[Section%07d]\n", i
    print "[RGB Tintora]"; print "Top=1500"; print "Left=1500"; print "TopMost=0"
    print "HexaFormat=0"; print "[RGB Sample]"; print "Width=32"; print "Height=32"
    print "[RGB Color]"; print "Red=10"; print "Green=20"; print "Blue=30"
    print "[Custom Colors]"
    for (i = 0; i < 16; i++) printf "RGB_Color_%d=%d\n", i, i
}' >"$work/prog/HUELOFT.INI"
mkdir "$work/settings"
echo "file: $(du -m "$work/prog/HUELOFT.INI" | cut -f1) MB, $sections sections, in $work"

stamped() { # what -> "begin-to-end ms" and "peak KB"
    QT_QPA_PLATFORM=offscreen /usr/bin/time -f 'peak-kb %M' -o "$work/time" \
        "$work/prog/bench_window" --only "$1" --dir "$work/settings" |
        while IFS= read -r line; do echo "$(date +%s%N) $line"; done >"$work/lines"
    awk '$2 == "begin" { b = $1 } $2 == "end" { e = $1 } END { printf "%.0f", (e - b) / 1e6 }' \
        "$work/lines"
    printf ' ms, peak %s MB\n' "$(awk '{ printf "%.0f", $2 / 1024 }' "$work/time")"
}
echo "start-up (Form_Load): $(stamped load)"
echo "exit, colour changed:  $(stamped unload-color)"
if command -v strace >/dev/null; then
    QT_QPA_PLATFORM=offscreen strace -f -qq -o "$work/strace" \
        -e trace=rename,renameat,renameat2,fsync,fdatasync \
        "$work/prog/bench_window" --only unload-color --dir "$work/settings" >/dev/null
    awk '/ rename(at2?)?\(/ { r++ } / f(data)?sync\(/ { f++ }
         END { printf "exit: %d renames, %d fsyncs\n", r, f }' "$work/strace"
fi
