#!/bin/sh
# SPDX-License-Identifier: MIT
# The sizes of a Windows build: swatchy.dll within 32 KB, it and hueloft.exe within 300 KB
# together (1 KB = 1024 bytes). Usage: sizes.sh <bin folder>
set -eu
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$1/hueloft.exe" ] && [ -f "$1/swatchy.dll" ] || fail "no build in $1: run scripts/build-windows.sh"
exe=$(wc -c <"$1/hueloft.exe")
dll=$(wc -c <"$1/swatchy.dll")
echo "hueloft.exe $exe bytes, swatchy.dll $dll bytes"
[ "$dll" -le $((32 * 1024)) ] || fail "swatchy.dll is $dll bytes, more than 32 KB"
[ $((exe + dll)) -le $((300 * 1024)) ] || fail "the two are $((exe + dll)) bytes, more than 300 KB"
echo PASS
