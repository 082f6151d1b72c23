#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows resource script compiles, and the compiled version record and icon read back as
# they should: windres turns the binary resource back into a script to compare.
# Usage: packaging_windres.sh <hueloft.rc> <version>
. "$(dirname "$0")/packaging_common.sh"
windres=x86_64-w64-mingw32-windres
need "$windres"
rc=$1
version=$2
make_scratch windres
# windres runs the script through a C preprocessor: MinGW's gcc when present, else the
# system's cpp (the script includes no Windows header, so either will do).
preprocessor=""
if ! command -v x86_64-w64-mingw32-gcc >/dev/null 2>&1; then
    need cpp
    preprocessor="--preprocessor=cpp"
fi
"$windres" $preprocessor -i "$rc" -o "$scratch/hueloft.res" -O res ||
    fail "windres cannot compile $rc"
"$windres" -i "$scratch/hueloft.res" -o "$scratch/hueloft.o" -O coff ||
    fail "windres cannot make an object file of the compiled resource"
"$windres" -i "$scratch/hueloft.res" -o "$scratch/back.rc" -O rc ||
    fail "windres cannot read back the compiled resource"
back="$scratch/back.rc"

# "1.01" is 1,0,1,0: the major number, then each digit of the minor one.
numbers=$(echo "$version" | sed -n 's/^\([0-9]*\)\.\([0-9]\)\([0-9]\)$/\1, *\2, *\3, *0/p')
[ -n "$numbers" ] || fail "cannot split the version $version"
escaped_version=$(echo "$version" | sed 's/\./\\./g')
# Each argument is an extended regular expression one line of the read-back script must match.
expect() {
    grep -Eq "$1" "$back" || { cat "$back" >&2; fail "the compiled resource has no line matching: $1"; }
}
expect "^ *FILEVERSION $numbers\$"
expect "^ *PRODUCTVERSION $numbers\$"
expect '^ *BLOCK "040904[eE]4"'
expect '^ *VALUE "FileDescription", "RGB Color Editor for Windows 95"$'
expect "^ *VALUE \"FileVersion\", \"$escaped_version\"\$"
expect "^ *VALUE \"ProductVersion\", \"$escaped_version\"\$"
expect '^ *VALUE "ProductName", "RGB Tintora for Windows 95"$'
expect '^ *VALUE "InternalName", "hueloft"$'
expect '^ *VALUE "OriginalFilename", "hueloft.exe"$'
expect '^ *VALUE "Translation", 0x409, 1252$'
expect '^ *VALUE "CompanyName", "[^"]'
expect '^ *VALUE "LegalCopyright", "[^"]'
# One sentence: a capital, no full stop inside, one at the end.
expect '^ *VALUE "Comments", "[A-Z][^".]*\."$'
expect '^1 14 /\* RT_GROUP_ICON \*/'
expect '^1 24 /\* RT_MANIFEST \*/'

# The manifest travels as bytes: what Windows reads from the compiled resource must say
# asInvoker, per-monitor DPI awareness and common controls 6, and be well-formed XML.
res="$scratch/hueloft.res"
for needle in 'requestedExecutionLevel level="asInvoker"' '>PerMonitorV2, PerMonitor<' \
    '>true/pm<' 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'; do
    grep -aqF "$needle" "$res" || fail "the compiled manifest does not hold: $needle"
done
manifest=$(sed -n 's/^1 24 "\(.*\)"$/\1/p' "$rc")
[ -f "$manifest" ] || fail "the resource script names no manifest file"
if command -v xmllint >/dev/null 2>&1; then
    xmllint --noout "$manifest" || fail "the manifest is not well-formed XML"
fi
dotted=$(echo "$version" | sed 's/^\([0-9]*\)\.\([0-9]\)\([0-9]\)$/\1.\2.\3.0/')
grep -q "<assemblyIdentity type=\"win32\" name=\"[^\"]*\" version=\"$dotted\"" "$manifest" ||
    fail "the manifest's version is not the program's ($dotted)"
echo "resource script ok"
