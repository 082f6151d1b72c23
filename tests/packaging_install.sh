#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the build into a scratch prefix: exactly the expected files, no development files,
# a desktop entry, icon and metainfo that name each other, and a program that starts from
# there, finds its swatchy and keeps its settings. The prefix holds characters special to sh
# and to patterns; the uninstaller of an installation moved away removes that one only, and
# one run by a user who cannot remove the files says so and fails.
# The installed program is stripped, and answers its command line without a display.
# Usage: packaging_install.sh <build folder> <library folder, e.g. lib> <version>
. "$(dirname "$0")/packaging_common.sh"
build=$1
libdir=$2
version=$3
[ -x "$build/bin/hueloft" ] || fail "build the program first ($build/bin/hueloft is missing)"
make_scratch install
chmod 755 "$scratch" # the second user reaches the installation, and no further
# shellcheck disable=SC2016
prefix="$scratch/p+q (1) it's \$(touch PWNED)"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 || {
    cat "$scratch/install.log" >&2
    fail "cmake --install failed"
}
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$scratch/installed"
expected_files "$libdir" >"$scratch/expected"
compare_lists "$scratch/installed" "$scratch/expected"
check_desktop_links "$prefix"
need readelf
for file in "bin/hueloft" "$libdir/hueloft/libswatchy.so" "$libdir/hueloft/libhueloft-profile.so"; do
    if readelf -S "$prefix/$file" | grep -Eq ' \.(symtab|debug_info) '; then
        fail "$file is installed with its symbols or debug information"
    fi
done

# The command line, without a display, in a home of its own: arguments | status | standard
# output (all of it, or ~ and a text it holds) | a text standard error holds (empty: nothing
# on it; one line with status 2). A Qt option reaches Qt, which then fails for want of the
# platform named.
mkdir "$scratch/cli-home"
while IFS='|' read -r arguments status out err; do
    got=0
    # shellcheck disable=SC2086
    (cd "$scratch/cli-home" && ulimit -c 0 && env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME \
        HOME="$scratch/cli-home" "$prefix/bin/hueloft" $arguments) \
        >"$scratch/cli.out" 2>"$scratch/cli.err" || got=$?
    case "$out" in
    '~'*) grep -qF -- "${out#\~}" "$scratch/cli.out" ;;
    *) [ "$(cat "$scratch/cli.out")" = "$out" ] ;;
    esac && [ "$got" = "$status" ] &&
        if [ -z "$err" ]; then [ ! -s "$scratch/cli.err" ]; else grep -qF -- "$err" "$scratch/cli.err"; fi &&
        { [ "$status" != 2 ] || [ "$(wc -l <"$scratch/cli.err")" -eq 1 ]; } ||
        fail "hueloft $arguments: status $got, output: $(cat "$scratch/cli.out" "$scratch/cli.err")"
done <<EOF
--version|0|hueloft $version|
--help|0|~~/.config/hueloft/|
-style fusion --stylesheet=none.qss -h|0|~--version|
--colour|2||'--colour'
-display|2||'-display'
--platform --help|2||'--platform' needs a value
colours.txt|2||'colours.txt'
--convert #FF8040|0|~&H004080FF&|
--convert=1,2,3|0|~"#010203"|
--convert 300,0,0|2||'300,0,0'
0x01000000|2||'0x01000000'
#fff #000|2||'#000'
-platform no-such-platform|134||no-such-platform
EOF
[ -z "$(ls -A "$scratch/cli-home")" ] || fail "the command line left files: $(ls -A "$scratch/cli-home")"
[ "$(ls -A "$prefix/bin")" = hueloft ] || fail "beside the program: $(ls -A "$prefix/bin")"
run_installed "$prefix/bin/hueloft" "$prefix/$libdir/hueloft/libswatchy.so"

mv "$prefix" "$scratch/moved"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 || fail "the second install failed"
# A user who may not remove the files: nothing goes, every file is named, status not 0.
if id nobody >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ]; then
    status=0
    runuser -u nobody -- sh "$prefix/share/hueloft/uninstall.sh" >/dev/null 2>"$scratch/denied" ||
        status=$?
    [ "$status" -ne 0 ] || fail "an uninstall that removed nothing exited with 0"
    [ "$(grep -c '^not removed: ' "$scratch/denied")" -eq "$(wc -l <"$scratch/expected")" ] ||
        fail "the failed uninstall did not name every file: $(cat "$scratch/denied")"
    # Another user installs for themselves from a clone they may read but not write (a copy of
    # this one in the scratch folder, as this clone's own folder may be closed to them):
    # straight from this build folder it fails as the README says, and the README's commands
    # for that case give them a program that works.
    other="$scratch/other-home"
    clone="$scratch/clone"
    mkdir "$other" "$clone"
    chown nobody "$other"
    tar -C "$here/.." --exclude='./build*' --exclude=./.git -cf - . | tar -C "$clone" -xf -
    chmod -R a+rX "$clone"
    as_other() { runuser -u nobody -- env HOME="$other" CCACHE_DIR="$other/.ccache" sh -c "$1"; }
    if runuser -u nobody -- test -r "$build/cmake_install.cmake"; then
        status=0
        as_other "cmake --install '$build' --prefix ~/.local" >"$scratch/other.log" 2>&1 || status=$?
        [ "$status" -ne 0 ] && grep -q install_manifest.txt "$scratch/other.log" ||
            fail "another user's install from this build: $(tail -n 3 "$scratch/other.log")"
    else
        echo "note: nobody cannot read $build; its install from there is not tried"
    fi
    readme=$(grep -E '^cmake .*~/hueloft-build' "$clone/README.md")
    [ "$(printf '%s\n' "$readme" | wc -l)" -eq 3 ] || fail "the README's commands for another user: $readme"
    as_other "cd '$clone' && set -e && $(printf '%s\n' "$readme" | paste -sd';' -)" \
        >"$scratch/other.log" 2>&1 || fail "the README's install for another user: $(tail -n 5 "$scratch/other.log")"
    # shellcheck disable=SC2016
    [ "$(as_other '$HOME/.local/bin/hueloft --convert=#FF8040')" = "$("$prefix/bin/hueloft" --convert=#FF8040)" ] ||
        fail "the program another user installed does not convert as this one"
fi
sh "$scratch/moved/share/hueloft/uninstall.sh" >/dev/null || fail "the moved copy's uninstaller failed"
left=$(find "$scratch/moved" -mindepth 1)
[ -z "$left" ] || fail "left of the moved copy: $left"
# The same beside it under a name that ends in a newline; and an uninstaller run through a link
# refuses, whatever lies around the link.
newline="$prefix
"
cmake --install "$build" --prefix "$newline" >/dev/null 2>&1 || fail "the install to a name ending in a newline failed"
ln -s "$newline/share/hueloft/uninstall.sh" "$scratch/uninstall-link"
! sh "$scratch/uninstall-link" 2>/dev/null || fail "the uninstaller ran through a link"
sh "$newline/share/hueloft/uninstall.sh" >/dev/null || fail "the uninstaller of the newline name failed"
[ ! -e "$newline/bin/hueloft" ] || fail "the uninstaller of the newline name left its program"
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$scratch/installed"
compare_lists "$scratch/installed" "$scratch/expected"
# An installation whose share/ is a link to another tree, whose parent holds an installation of
# its own: the uninstaller removes what it can reach without the link, names the rest, fails,
# and leaves the other installation whole.
mkdir -p "$scratch/linked" "$scratch/other/share"
ln -s "$scratch/other/share" "$scratch/linked/share"
cmake --install "$build" --prefix "$scratch/other" >/dev/null 2>&1 || fail "the other install failed"
cmake --install "$build" --prefix "$scratch/linked" >/dev/null 2>&1 || fail "the linked install failed"
status=0
sh "$scratch/linked/share/hueloft/uninstall.sh" >/dev/null 2>"$scratch/linked.err" || status=$?
[ "$status" -ne 0 ] || fail "an uninstall that left files behind a link exited with 0"
[ ! -e "$scratch/linked/bin/hueloft" ] || fail "the uninstaller behind a linked share/ left its program"
grep -q '^not removed: .*/share/hueloft/uninstall.sh (a folder on its way is a symbolic link)$' \
    "$scratch/linked.err" || fail "the files behind the link were not named: $(cat "$scratch/linked.err")"
for file in bin/hueloft "$libdir/hueloft/libswatchy.so"; do
    [ -e "$scratch/other/$file" ] || fail "the uninstaller removed another installation's $file"
done
for place in "$scratch" "$prefix" "$prefix/share/hueloft" "$scratch/moved" .; do
    [ ! -e "$place/PWNED" ] || fail "a folder name ran as a command: $place/PWNED"
done
# The release build as the README configures it is built as what it installs (stripped, so
# Release) and says so; the test build keeps its debug information; a type given stays.
src=$(cd "$(dirname "$0")/.." && pwd)
while IFS='|' read -r options expected; do
    rm -rf "$scratch/configure"
    # shellcheck disable=SC2086
    cmake -S "$src" -B "$scratch/configure" -G Ninja $options >"$scratch/configure.log" 2>&1 ||
        fail "configure $options: $(tail -n 5 "$scratch/configure.log")"
    grep -qx "CMAKE_BUILD_TYPE:STRING=$expected" "$scratch/configure/CMakeCache.txt" &&
        grep -qx -- "-- Build type: $expected" "$scratch/configure.log" ||
        fail "configure $options: not a $expected build: $(grep -e 'Build type' "$scratch/configure.log" "$scratch/configure/CMakeCache.txt")"
done <<EOF
-DBUILD_TESTING=OFF|Release
|RelWithDebInfo
-DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo|RelWithDebInfo
-DCMAKE_BUILD_TYPE=Debug|Debug
EOF
echo "installation ok"
