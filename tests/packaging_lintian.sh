#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian package as Debian checks it: lintian finds no error and no warning when the
# package is made with a real maintainer. HUELOFT_MAINTAINER only feeds CPack's maintainer
# fields (and, through them, the changelog), so cpack -D stands in for configuring with
# -DHUELOFT_MAINTAINER=..., without a second build. The unconfigured build keeps its
# placeholder maintainer: lintian must name exactly that and nothing else.
# Usage: packaging_lintian.sh <build folder>
. "$(dirname "$0")/packaging_common.sh"
# Installed by scripts/setup.sh test: missing tools fail here rather than skip.
for tool in cpack lintian dpkg-deb; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed (scripts/setup.sh test installs it)"
done
build=$1
[ -x "$build/bin/hueloft" ] || fail "build the program first ($build/bin/hueloft is missing)"
make_scratch lintian

# make_package <folder> [cpack -D arguments...]: the .deb's path on standard output.
make_package() {
    folder=$1
    shift
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$folder" "$@" >"$folder.log" 2>&1 || {
        cat "$folder.log" >&2
        fail "cpack -G DEB failed"
    }
    set -- "$folder"/*.deb
    [ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single .deb in $folder"
    echo "$1"
}

# The tags lintian gives a package, errors and warnings only, one a line: "E: tag detail".
tags() {
    lintian --no-cfg --display-level '>=warning' "$1" >"$scratch/lintian.out" 2>&1
    grep -E '^[EW]: ' "$scratch/lintian.out" | sed 's/^\([EW]\): [^:]*: /\1: /' || true
}

maintainer="Hueloft Publisher <publisher@hueloft.example.org>"
deb=$(make_package "$scratch/real" -D "CPACK_DEBIAN_PACKAGE_MAINTAINER=$maintainer" \
    -D "CPACK_PACKAGE_CONTACT=$maintainer")
echo "package: $(basename "$deb"), maintainer: $(dpkg-deb -f "$deb" Maintainer)"
found=$(tags "$deb")
if [ -n "$found" ]; then
    echo "$found" >&2
    fail "lintian finds errors or warnings in the package made with a maintainer"
fi
echo "lintian: no error, no warning"
lintian --no-cfg --display-level '>=info' "$deb" | sed 's/^/  /' || true

# What the fixes are for, seen directly: the changelog names the maintainer, the manual page
# is there, no maintainer script calls ldconfig.
dpkg-deb -x "$deb" "$scratch/root"
zcat "$scratch/root/usr/share/doc/hueloft/changelog.gz" | grep -qF -- " -- $maintainer  " ||
    fail "the changelog does not name $maintainer"
man -l "$scratch/root/usr/share/man/man1/hueloft.1.gz" 2>/dev/null | grep -q 'HUELOFT.INI' ||
    zcat "$scratch/root/usr/share/man/man1/hueloft.1.gz" | grep -q 'HUELOFT.INI' ||
    fail "the manual page does not say where the settings live"
dpkg-deb -e "$deb" "$scratch/control"
if grep -l ldconfig "$scratch"/control/* 2>/dev/null; then
    fail "a maintainer script still calls ldconfig"
fi
width=$(dpkg-deb -f "$deb" Description | awk '{ if (length($0) > w) w = length($0) } END { print w }')
[ "$width" -le 80 ] || fail "a line of the description is $width characters long"

# The placeholder has no address: the control field and the changelog's trailer line that
# names it are all lintian may find.
placeholder=$(make_package "$scratch/placeholder")
found=$(tags "$placeholder")
echo "unconfigured build, maintainer '$(dpkg-deb -f "$placeholder" Maintainer)':"
echo "$found" | sed 's/^/  /'
echo "$found" | grep -q '^E: malformed-contact Maintainer ' ||
    fail "lintian does not name the placeholder maintainer"
others=$(echo "$found" | grep -v -e '^E: malformed-contact Maintainer ' \
    -e '^W: syntax-error-in-debian-changelog .*\[usr/share/doc/hueloft/changelog.gz:[0-9]*\]$' || true)
[ -z "$others" ] || fail "the unconfigured package has other faults than its maintainer: $others"
echo "lintian ok"
