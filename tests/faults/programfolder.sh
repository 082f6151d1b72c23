#!/bin/sh
# SPDX-License-Identifier: MIT
# The program in a folder whose name is not valid UTF-8 (a Latin-1 "é") works like any other:
# swatchy is found beside it and the settings, custom colours included, are saved beside it.
# A broken swatchy beside the program (one built for AArch64) is reported with its real reason
# and not replaced by the good copy that LD_LIBRARY_PATH offers; the profile library there is
# not taken either. A folder whose name is too long for the libraries' paths works too.
# Qt plug-ins planted beside the program (imageformats/), or where a planted qt.conf sends the
# plug-ins, are never loaded, though the box that says why swatchy is not loaded draws images.
# Usage: programfolder.sh <program folder> <a planted Qt plug-in>
set -eu
bin=$(cd "$1" && pwd)
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-folder.XXXXXX")
pid=""
trap '{ [ -n "$pid" ] && kill "$pid" 2>/dev/null; } || true; rm -rf "$scratch"' EXIT
prog="$scratch/$(printf 'caf\351')"
mkdir "$prog" "$scratch/home"
cp "$bin/hueloft" "$bin/libswatchy.so" "$bin/libhueloft-profile.so" "$prog/"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"

# Runs the program until it has loaded its settings and handles SIGTERM, then ends it as a
# log-out does (which saves like the close box).
run() {
    "$prog/hueloft" 2>"$scratch/stderr" &
    pid=$!
    caught=""
    for _ in $(seq 200); do
        # SigCgt has bit 14 for SIGTERM once the program's handler is in place.
        mask=$(sed -n 's/^SigCgt:\t*//p' "/proc/$pid/status" 2>/dev/null || true)
        if [ -n "$mask" ] && [ $((0x$mask & 0x4000)) -ne 0 ]; then
            caught=1
            break
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$caught" ] || fail "the program did not come up: $(cat "$scratch/stderr")"
    # Which profile library the running program uses (loaded before its handler is set).
    LC_ALL=C sed -n 's|^[^/]*\(/.*/libhueloft-profile.so\)$|\1|p' "/proc/$pid/maps" |
        sort -u >"$scratch/profile"
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" || fail "exit status $?"
    pid=""
}

printf '[Custom Colors]\nRGB_Color_3=4660\n' >"$prog/HUELOFT.INI"
run
grep -q '^Width=' "$prog/HUELOFT.INI" || fail "the editor's settings were not saved beside it"
grep -q '^RGB_Color_3=4660$' "$prog/HUELOFT.INI" ||
    fail "the custom colours did not come through swatchy: $(cat "$prog/HUELOFT.INI")"
grep -q '^RGB_Color_15=' "$prog/HUELOFT.INI" || fail "swatchy did not save the custom colours"
[ -s "$scratch/stderr" ] && fail "standard error: $(cat "$scratch/stderr")"
[ -n "$(find "$HOME" -name HUELOFT.INI)" ] && fail "settings went to the home folder"

# The same copy, its swatchy marked as built for AArch64 (e_machine 183 at offset 18), with an
# image-format plug-in planted beside it (the box that says why draws images).
printf '\267\000' | dd of="$prog/libswatchy.so" bs=1 seek=18 conv=notrunc 2>/dev/null
cp -r "$2/imageformats" "$prog/"
export HUELOFT_PLANTED_MARKER="$scratch/planted-ran"
printf '[Custom Colors]\nRGB_Color_3=4660\n' >"$prog/HUELOFT.INI"
LD_LIBRARY_PATH="$bin" run
# The box that shows the line draws the offscreen platform's remark on its size hints.
sed -i '/^This plugin does not support propagateSizeHints()$/d' "$scratch/stderr"
lines=$(grep -c . "$scratch/stderr" || true)
[ "$lines" -eq 1 ] || fail "expected one line on standard error, got: $(cat "$scratch/stderr")"
LC_ALL=C grep -q "^hueloft: cannot load swatchy: .*libswatchy.so: wrong ELF class/machine" \
    "$scratch/stderr" || fail "reason not named: $(cat "$scratch/stderr")"
grep -q '^RGB_Color_15=' "$prog/HUELOFT.INI" &&
    fail "a swatchy from LD_LIBRARY_PATH took the broken one's place"
grep -q '^RGB_Color_3=4660$' "$prog/HUELOFT.INI" || fail "the custom colours were touched"
[ -e "$HUELOFT_PLANTED_MARKER" ] && fail "a Qt plug-in planted beside the program was loaded"

expect_profile() {
    [ "$(cat "$scratch/profile")" = "$1/libhueloft-profile.so" ] ||
        fail "profile library in use: $(cat "$scratch/profile"), not $1's"
}
expect_profile "$prog"

# A qt.conf planted beside a copy, sending Qt to a folder of plug-ins with a platform of its
# own, and plug-ins beside it: in the user's own folder the qt.conf is not read, the program
# comes up on the system's platform and loads nothing planted; in a folder others can write it
# does not start at all, whatever kinds of plug-in lie there, and says why.
planted="$scratch/planted"
mkdir -p "$planted"
cp "$bin/hueloft" "$bin/libswatchy.so" "$bin/libhueloft-profile.so" "$planted/"
cp -r "$2/platforms" "$2/imageformats" "$planted/"
printf '[Paths]\nPlugins=%s\n' "$planted" >"$planted/qt.conf"
prog=$planted
run
[ -e "$HUELOFT_PLANTED_MARKER" ] && fail "a Qt plug-in that a planted qt.conf names was loaded"
chmod 1777 "$planted"
refused=0
"$planted/hueloft" 2>"$scratch/stderr" || refused=$?
[ "$refused" -eq 1 ] && grep -qxF "hueloft: not started: $planted: others can write in the program's folder, and Qt would load plug-ins they put there" "$scratch/stderr" ||
    fail "plug-ins beside a copy in a folder others can write: status $refused, $(cat "$scratch/stderr")"
[ -e "$HUELOFT_PLANTED_MARKER" ] && fail "a Qt plug-in in a folder others can write was loaded"
chmod 755 "$planted"

# A folder of 4082 bytes: the libraries' absolute paths pass the system's limit of 4096 (the
# settings file's does not); the program still finds both beside it.
long="$scratch/l"
while [ ${#long} -lt 3900 ]; do long="$long/$(printf '%0200d' 0)"; done
long="$long/$(printf '%0*d' $((4081 - ${#long})) 0)"
mkdir -p "$long"
(cd "$long" && cp "$bin/hueloft" "$bin/libswatchy.so" "$bin/libhueloft-profile.so" . &&
    printf '[Custom Colors]\nRGB_Color_3=4660\n' >HUELOFT.INI)
prog=$long
run
[ -s "$scratch/stderr" ] && fail "in a folder of ${#long} bytes: $(cat "$scratch/stderr")"
expect_profile "$long"
(cd "$long" && grep -q '^RGB_Color_3=4660$' HUELOFT.INI && grep -q '^RGB_Color_15=' HUELOFT.INI) ||
    fail "in a folder of ${#long} bytes the settings were not saved through swatchy"

[ $status -eq 0 ] && echo "program folder ok"
exit $status
