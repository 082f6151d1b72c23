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
        [ "${2:-}" = deb ] && echo "share/doc/hueloft/changelog.gz"
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

# Starts an installed program once under its own X server, with HOME in the scratch folder,
# closes it with Alt+X, and checks that it loaded swatchy from $2 and kept its settings.
run_installed() {
    program=$1
    swatchy=$2
    need Xvfb xdotool
    home="$scratch/home"
    mkdir -p "$home" "$scratch/runtime"
    chmod 700 "$scratch/runtime"
    # Root can write into any folder, so as root the program runs as the ordinary user nobody:
    # the user an installed program is for.
    runas=""
    if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null 2>&1; then
        runas="setpriv --reuid=65534 --regid=65534 --clear-groups --"
        chmod 755 "$scratch"
        chown -R 65534:65534 "$home" "$scratch/runtime"
    fi
    chmod a-w "$(dirname "$program")"
    writable=no
    [ -z "$runas" ] && [ -w "$(dirname "$program")" ] && writable=yes
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$scratch/runtime" \
        HUELOFT_RUN_AS="$runas" \
        sh "$here/e2e/xserver.sh" sh "$here/packaging_session.sh" "$program" "$scratch"
    status=$?
    chmod u+w "$(dirname "$program")"
    [ $status -eq 0 ] || fail "the installed program did not start and close cleanly (see above)"

    if grep -i "swatchy" "$scratch/stderr" >&2; then
        fail "the installed program reported a problem with swatchy"
    fi
    grep -qF "$swatchy" "$scratch/maps" || {
        cat "$scratch/maps" >&2
        fail "the installed program did not load $swatchy"
    }
    if [ -f "$scratch/wmicon" ]; then
        for size in 16 24 32 48 64 256; do
            grep -q "Icon ($size x $size)" "$scratch/wmicon" ||
                { cat "$scratch/wmicon" >&2; fail "the main window offers no $size x $size icon"; }
        done
    else
        echo "note: xprop is not installed, the window's icon is not checked"
    fi
    # The settings go to the program's folder when the user can write there, to the per-user
    # folder otherwise, as for a program installed by the system. The folder is made read-only
    # for the run, so that the ordinary user sees the second case.
    if [ $writable = yes ]; then
        settings="$(dirname "$program")/HUELOFT.INI"
        other="$home/.config/hueloft/HUELOFT.INI"
    else
        settings="$home/.config/hueloft/HUELOFT.INI"
        other="$(dirname "$program")/HUELOFT.INI"
    fi
    [ -f "$settings" ] || fail "the program kept no settings in $settings on Alt+X"
    [ ! -e "$other" ] || fail "the program wrote $other as well"
    grep -qi '^\[RGB Color\]' "$settings" || fail "$settings holds no [RGB Color] section"
    echo "settings written to $settings"
}
