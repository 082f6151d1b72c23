# SPDX-License-Identifier: MIT
# Sourced by the packaging tests: skipping when a checker is missing, failing with one clear
# line, the list of files an installation holds, and one run of an installed program.

here=$(cd "$(dirname "$0")" && pwd)

# ctest reads exit status 77 as "skipped" (SKIP_RETURN_CODE); scripts/test.sh, which installs
# every tool, makes it a failure.
need() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed (scripts/setup.sh test installs it)"
            exit "${HUELOFT_SKIP_STATUS:-77}"
        fi
    done
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A scratch folder removed on exit, unless HUELOFT_KEEP_SCRATCH is set to look at it.
make_scratch() {
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-$1.XXXXXX")
    if [ -z "${HUELOFT_KEEP_SCRATCH:-}" ]; then
        trap 'rm -rf "$scratch"' EXIT
    else
        echo "scratch folder: $scratch"
    fi
}

# The files (not folders) an installation of hueloft must hold, relative to its prefix, sorted;
# $1 is the library folder (lib, lib64, lib/x86_64-linux-gnu); $2 "deb" for the Debian
# package, which holds its changelog as well.
expected_files() {
    libdir=$1
    id=io.github.hueloft.Hueloft
    {
        echo "bin/hueloft"
        echo "$libdir/hueloft/libhueloft-profile.so"
        echo "$libdir/hueloft/libswatchy.so"
        echo "share/applications/$id.desktop"
        echo "share/metainfo/$id.metainfo.xml"
        for size in 16 24 32 48 64 128 256; do
            echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
        done
        echo "share/icons/hicolor/scalable/apps/$id.svg"
        echo "share/doc/hueloft/copyright"
        echo "share/man/man1/hueloft.1.gz"
        if [ "${2:-}" = deb ]; then
            echo "share/doc/hueloft/changelog.gz"
        else
            echo "share/hueloft/uninstall.sh"
        fi
    } | LC_ALL=C sort
}

# Compares the sorted file list in $1 with the expected one in $2, naming every difference.
compare_lists() {
    if ! diff -u "$2" "$1" >"$scratch/list.diff"; then
        sed -n '3,$p' "$scratch/list.diff" | grep '^[-+]' | sed 's/^-/missing: /; s/^+/unexpected: /' >&2
        fail "the installed files differ from the expected list"
    fi
}

# The desktop entry, the icon and the metainfo must name each other: a launcher finds the icon
# by the entry's Icon= name and a software centre the entry by the metainfo's launchable.
check_desktop_links() {
    root=$1
    entry="$root/share/applications/io.github.hueloft.Hueloft.desktop"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    program=$(sed -n 's/^Exec=//p' "$entry" | cut -d' ' -f1)
    [ -f "$root/share/icons/hicolor/32x32/apps/$icon.png" ] ||
        fail "the desktop entry names the icon '$icon', which is not installed"
    [ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
        fail "no scalable icon named '$icon'"
    [ -x "$root/bin/$program" ] || fail "the desktop entry starts '$program', which is not installed"
    grep -q "<launchable type=\"desktop-id\">$(basename "$entry")</launchable>" \
        "$root/share/metainfo/io.github.hueloft.Hueloft.metainfo.xml" ||
        fail "the metainfo does not launch $(basename "$entry")"
}

# Starts the installed program $1 under its own X server as the user $3 (empty: this one) with
# the home folder $4, closes it with Alt+X, and checks that it loaded swatchy from $2 and kept
# its settings in that home's ~/.config/hueloft, starting from an older HUELOFT.INI beside it.
run_as() {
    program=$1
    swatchy=$2
    home=$4
    runtime="$home.runtime"
    mkdir -p "$home" "$runtime"
    chmod 700 "$runtime"
    runas=""
    if [ -n "$3" ]; then
        chmod 755 "$scratch"
        chown -R "$3" "$home" "$runtime"
        runas="runuser -u $3 -- env HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$runtime"
    fi
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$runtime" \
        HUELOFT_RUN_AS="$runas" \
        sh "$here/e2e/xserver.sh" sh "$here/packaging_session.sh" "$program" "$scratch" ||
        fail "the installed program did not start and close cleanly (see above)"
    if grep -i "swatchy" "$scratch/stderr" >&2; then
        fail "the installed program reported a problem with swatchy"
    fi
    grep -qF "$swatchy" "$scratch/maps" || {
        cat "$scratch/maps" >&2
        fail "the installed program did not load $swatchy"
    }
    if [ -f "$scratch/wmicon" ]; then
        # The sizes a window needs; the larger ones are the desktop's, from the icon theme.
        for size in 16 24 32 48 64; do
            grep -q "Icon ($size x $size)" "$scratch/wmicon" ||
                { cat "$scratch/wmicon" >&2; fail "the main window offers no $size x $size icon"; }
        done
        ! grep -q "Icon (256 x 256)" "$scratch/wmicon" ||
            fail "the main window decodes and sends its 256 x 256 icon at every start"
    else
        echo "note: xprop is not installed, the window's icon is not checked"
    fi
    settings="$home/.config/hueloft/HUELOFT.INI"
    [ -f "$settings" ] || fail "the program kept no settings in $settings on Alt+X"
    grep -qi '^\[RGB Tintora\]' "$settings" || fail "$settings holds no [RGB Tintora] section"
    # The older file's values, read once; the custom colours through swatchy.
    grep -qx 'Red=77' "$settings" || fail "the older settings were not taken over: $(cat "$settings")"
    grep -qx 'RGB_Color_3=4660' "$settings" || fail "the older custom colours were not taken over"
    echo "settings of ${3:-$(id -un)} written to $settings"
}

# An installed program is for every user, whoever installed it and whoever ran it first: as
# root, into a root-owned prefix, run once by root and then by nobody, each keeps the
# settings in their own ~/.config/hueloft, starting from the HUELOFT.INI an older version
# left beside the program, which is neither written nor in the way; nothing new appears beside
# the program. Then the same prefix owned by an ordinary user (the ~/.local case). Not as
# root: the prefix is this user's own, and only that case runs.
run_installed() {
    program=$1
    swatchy=$2
    bin=$(dirname "$program")
    need Xvfb xdotool
    printf '[RGB Color]\r\nRed=77\r\n[Custom Colors]\r\nRGB_Color_3=4660\r\n' >"$bin/HUELOFT.INI"
    chmod 644 "$bin/HUELOFT.INI"
    cp -p "$bin/HUELOFT.INI" "$scratch/older.ini"
    ls -A "$bin" >"$scratch/bin.before"
    if [ "$(id -u)" -eq 0 ]; then
        run_as "$program" "$swatchy" "" "$scratch/home-root"
        run_as "$program" "$swatchy" nobody "$scratch/nobody"
        cmp -s "$bin/HUELOFT.INI" "$scratch/older.ini" || fail "the older HUELOFT.INI was written"
        ls -A "$bin" | diff "$scratch/bin.before" - || fail "files appeared beside the program"
        prefix=$(dirname "$bin")
        chown -R nobody "$prefix"
        rm "$bin/HUELOFT.INI"
        printf '[RGB Color]\nRed=77\n[Custom Colors]\nRGB_Color_3=4660\n' >"$scratch/nobody/.config/hueloft/HUELOFT.INI"
        run_as "$program" "$swatchy" nobody "$scratch/nobody"
        chown -R 0:0 "$prefix"
    else
        run_as "$program" "$swatchy" "" "$scratch/home"
        cmp -s "$bin/HUELOFT.INI" "$scratch/older.ini" || fail "the older HUELOFT.INI was written"
        rm "$bin/HUELOFT.INI"
    fi
    [ "$(ls -A "$bin")" = hueloft ] || fail "beside the program: $(ls -A "$bin")"
}
