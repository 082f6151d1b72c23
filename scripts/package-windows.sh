#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the two Windows downloads from the x86_64 build: the portable zip (hueloft.exe,
# swatchy.dll, the licence, a short read-me) and the NSIS installer, both in
# build-windows/package/ (HUELOFT_WINDOWS_BUILD_DIR moves it). Builds first what changed.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" windows
"$top/scripts/build-windows.sh"
build="${HUELOFT_WINDOWS_BUILD_DIR:-$top/build-windows}"
version=$(sed -n 's/^project(hueloft VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
copyright=$(sed -n 's/^set(HUELOFT_COPYRIGHT "\(.*\)" CACHE.*/\1/p' "$top/cmake/ProjectOptions.cmake")
publisher=$(sed -n 's/^set(HUELOFT_COMPANY "\(.*\)" CACHE.*/\1/p' "$top/cmake/ProjectOptions.cmake")
out="$build/package"
stage="$out/hueloft-$version"
rm -rf "$stage"
mkdir -p "$stage"
cp "$build/bin/hueloft.exe" "$build/bin/swatchy.dll" "$stage/"
# Text files with Windows line ends, so that Notepad of any age shows them.
sed 's/$/\r/' "$top/LICENSE" >"$stage/LICENSE.txt"
sed 's/$/\r/' "$top/packaging/README.txt" >"$stage/README.txt"

zip="$out/hueloft-$version-windows-x86_64.zip"
rm -f "$zip"
(cd "$out" && zip -q -X -r "$zip" "hueloft-$version")

installer="$out/hueloft-$version-setup-x86_64.exe"
size_kb=$(du -k -c "$stage"/* | tail -n 1 | cut -f 1)
quad=$(echo "$version" | sed 's/^\([0-9]*\)\.\([0-9]\)\([0-9]\)$/\1.\2.\3.0/')
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION_QUAD="$quad" \
    -DSOURCE="$stage" -DOUTFILE="$installer" -DSIZE_KB="$size_kb" \
    -DCOPYRIGHT="$copyright" -DPUBLISHER="$publisher" "$top/packaging/hueloft.nsi"
ls -l "$zip" "$installer" | awk '{print $5, $9}'
