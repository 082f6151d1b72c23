#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the two Windows downloads from the x86_64 build: the portable zip (hueloft.exe,
# swatchy.dll, the licence, a short read-me) and the NSIS installer, both in
# build-windows/package/ (HUELOFT_WINDOWS_BUILD_DIR moves it). Builds first what changed of
# what it ships, hueloft.exe and swatchy.dll (in both builds), and none of the test programs.
# Both are the same bytes for the same commit wherever and whenever they are made: every file
# in them dated SOURCE_DATE_EPOCH (by default the commit's time), the zip's entries in a fixed
# order.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 0)
    export SOURCE_DATE_EPOCH
fi
"$top/scripts/setup.sh" windows
HUELOFT_WINDOWS_TARGETS="hueloft swatchy" "$top/scripts/build-windows.sh"
build="${HUELOFT_WINDOWS_BUILD_DIR:-$top/build-windows}"
version=$(sed -n 's/^project(hueloft VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
# The owner's entries as the build has them configured (cmake -DHUELOFT_COMPANY=...), as in
# the version records of hueloft.exe and swatchy.dll.
copyright=$(sed -n 's/^HUELOFT_COPYRIGHT:STRING=//p' "$build/CMakeCache.txt")
publisher=$(sed -n 's/^HUELOFT_COMPANY:STRING=//p' "$build/CMakeCache.txt")
out="$build/package"
stage="$out/hueloft-$version"
rm -rf "$stage"
mkdir -p "$stage"
cp "$build/bin/hueloft.exe" "$build/bin/swatchy.dll" "$stage/"
# Text files with Windows line ends, so that Notepad of any age shows them.
sed 's/$/\r/' "$top/LICENSE" >"$stage/LICENSE.txt"
sed 's/$/\r/' "$top/packaging/README.txt" >"$stage/README.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$stage" "$stage"/*

zip="$out/hueloft-$version-windows-x86_64.zip"
rm -f "$zip"
# zip stores local times: in UTC they are the same on every machine.
(cd "$out" && { echo "hueloft-$version/"; find "hueloft-$version" -type f | LC_ALL=C sort; } |
    TZ=UTC zip -q -X -@ "$zip")

installer="$out/hueloft-$version-setup-x86_64.exe"
icon=$(sed -n 's/^HUELOFT_ICON_FILE:FILEPATH=//p' "$build/CMakeCache.txt")
quad=$(echo "$version" | sed 's/^\([0-9]*\)\.\([0-9]\)\([0-9]\)$/\1.\2.\3.0/')
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION_QUAD="$quad" \
    -DSOURCE="$stage" -DOUTFILE="$installer" -DICON="$icon" \
    -DCOPYRIGHT="$copyright" -DPUBLISHER="$publisher" "$top/packaging/hueloft.nsi"
ls -l "$zip" "$installer" | awk '{print $5, $9}'
