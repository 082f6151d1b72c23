#!/bin/sh
# SPDX-License-Identifier: MIT
# The export table of a swatchy.dll: exactly ShowColorDialog, SaveCustomColors and
# LoadCustomColors, undecorated, with the ordinals 1, 2 and 3; and only system DLLs imported
# by it and by hueloft.exe beside it, comdlg32 not by swatchy.dll.
# Usage: exports.sh <objdump> <bin folder>
set -eu
objdump=$1
bindir=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v "$objdump" >/dev/null 2>&1 || fail "$objdump is missing: run scripts/setup.sh windows"
[ -f "$bindir/swatchy.dll" ] || fail "$bindir/swatchy.dll is missing: run scripts/build-windows.sh"

# "[Ordinal/Name Pointer] Table" lists "[index] name"; the ordinal is the index plus the base.
table=$("$objdump" -p "$bindir/swatchy.dll")
base=$(echo "$table" | sed -n 's/.*Ordinal Base \([0-9]*\).*/\1/p')
[ -n "$base" ] || fail "no export table in $bindir/swatchy.dll"
names=$(echo "$table" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\] \(.*\)$/\1 \2/p' |
    awk -v base="$base" '{ print $1 + base, $2 }' | sort -n | tr '\n' ';')
[ "$names" = "1 ShowColorDialog;2 SaveCustomColors;3 LoadCustomColors;" ] ||
    fail "exports of swatchy.dll: $names"

for program in swatchy.dll hueloft.exe; do
    imports=$("$objdump" -p "$bindir/$program" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' |
        sort | tr '\n' ' ')
    for dll in $imports; do
        case "$dll" in
            kernel32.dll | user32.dll | gdi32.dll | comdlg32.dll | comctl32.dll | msvcrt.dll \
                | advapi32.dll) ;;
            *) fail "$program imports $dll, which is not a system DLL" ;;
        esac
    done
    # The colour dialog's comdlg32 (and the shell libraries it brings) load when it first opens.
    case "$program $imports" in
        "swatchy.dll "*comdlg32.dll*) fail "swatchy.dll imports comdlg32.dll" ;;
    esac
    echo "$program imports: $imports"
done
# Its version record: the file's own name and the owner's company.
record=$(strings -el "$bindir/swatchy.dll" | tr '\n' '|')
case "$record" in
    *"|OriginalFilename|swatchy.dll|"*"|CompanyName|"* | *"|CompanyName|"*"|OriginalFilename|swatchy.dll|"*) ;;
    *) fail "swatchy.dll has no version record naming it and its company" ;;
esac
echo "PASS: $names"
