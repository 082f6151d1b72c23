#!/bin/sh
# SPDX-License-Identifier: MIT
# The desktop entry passes desktop-file-validate without errors or warnings (hints are fine),
# and is listed under one main category, so that a menu shows it once.
# Usage: packaging_desktop.sh <desktop entry>
. "$(dirname "$0")/packaging_common.sh"
need desktop-file-validate
entry=$1
out=$(desktop-file-validate "$entry" 2>&1)
status=$?
[ -n "$out" ] && echo "$out"
[ $status -eq 0 ] || fail "desktop-file-validate rejected $entry"
if echo "$out" | grep -Eq ': (error|warning): '; then
    fail "desktop-file-validate found problems in $entry"
fi
for key in 'Name=RGB Tintora' 'GenericName=Color Editor' 'Exec=hueloft' \
    'Icon=io.github.hueloft.Hueloft' 'Type=Application'; do
    grep -qxF "$key" "$entry" || fail "$entry lacks the line '$key'"
done
categories=$(sed -n 's/^Categories=//p' "$entry")
[ "$categories" = "Graphics;" ] || fail "$entry is in the categories $categories, not Graphics alone"
grep -q '^Keywords=.' "$entry" || fail "$entry has no keywords"
echo "desktop entry ok"
