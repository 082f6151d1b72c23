#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the build into a scratch prefix: exactly the expected files, no development files,
# a desktop entry, icon and metainfo that name each other, and a program that starts from
# there, finds its swatchy and keeps its settings.
# Usage: packaging_install.sh <build folder> <library folder, e.g. lib>
. "$(dirname "$0")/packaging_common.sh"
build=$1
libdir=$2
[ -x "$build/bin/hueloft" ] || fail "build the program first ($build/bin/hueloft is missing)"
make_scratch install
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 || {
    cat "$scratch/install.log" >&2
    fail "cmake --install failed"
}
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$scratch/installed"
expected_files "$libdir" >"$scratch/expected"
compare_lists "$scratch/installed" "$scratch/expected"
check_desktop_links "$prefix"
run_installed "$prefix/bin/hueloft" "$prefix/$libdir/hueloft/libswatchy.so"
echo "installation ok"
