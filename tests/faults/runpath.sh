#!/bin/sh
# SPDX-License-Identifier: MIT
# No library from the current folder: every run path entry of the program and its libraries
# is anchored at the binary's own folder, and the program started from a folder that holds
# copies of its libraries' names never even looks there. The same holds for a copy of the
# program folder (the portable use of a build).
# Usage: runpath.sh <program folder>
set -eu
bin=$(cd "$1" && pwd)
command -v readelf >/dev/null 2>&1 || { echo "SKIP: readelf is not installed"; exit "${HUELOFT_SKIP_STATUS:-77}"; }
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-runpath.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/copy" "$scratch/cwd"
cp -p "$bin"/hueloft "$bin"/lib*.so* "$scratch/copy/"

for folder in "$bin" "$scratch/copy"; do
    for file in "$folder"/hueloft "$folder"/lib*.so*; do
        paths=$(readelf -d "$file" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]/\2/p')
        # Split on ":" with an entry per line; an empty line is an empty entry.
        [ -n "$paths" ] || continue
        printf '%s\n' "$paths" | tr ':' '\n' | while IFS= read -r entry; do
            case "$entry" in
            '$ORIGIN' | '$ORIGIN/'*) ;;
            *) echo "FAIL: $file: run path entry '$entry' in [$paths]" >&2; echo bad >"$scratch/bad" ;;
            esac
        done
    done

    # Every library the program needs, as the loader would look for it: nothing is tried
    # in the folder the program is started from.
    for name in $(readelf -d "$folder/hueloft" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        : >"$scratch/cwd/$name"
    done
    (cd "$scratch/cwd" && LD_DEBUG=libs LD_TRACE_LOADED_OBJECTS=1 "$folder/hueloft") \
        >"$scratch/trace" 2>&1 || true
    if grep 'trying file=' "$scratch/trace" | grep -v 'trying file=/' >/dev/null; then
        fail "$folder/hueloft looks for libraries in the current folder:"
        grep 'trying file=' "$scratch/trace" | grep -v 'trying file=/' | head -5 >&2
    fi
    if grep -F "$scratch/cwd/" "$scratch/trace" >/dev/null; then
        fail "$folder/hueloft looks for libraries in the folder it was started from"
    fi
    grep -q 'trying file=' "$scratch/trace" || fail "no loader trace for $folder/hueloft"
done
[ -e "$scratch/bad" ] && status=1
[ $status -eq 0 ] && echo "run paths ok"
exit $status
