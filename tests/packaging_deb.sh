#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the Debian package with CPack in a scratch folder (the build folder is left alone),
# checks its control fields and contents, unpacks it and runs the program from there.
# Usage: packaging_deb.sh <build folder> <library folder> <version>
. "$(dirname "$0")/packaging_common.sh"
need cpack dpkg-deb dpkg-shlibdeps
build=$1
libdir=$2
version=$3
[ -x "$build/bin/hueloft" ] || fail "build the program first ($build/bin/hueloft is missing)"
make_scratch deb
# An installation made before the package, to be removed after it (below).
cmake --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$scratch/install.log")"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/cpack" >"$scratch/cpack.log" 2>&1 || {
    cat "$scratch/cpack.log" >&2
    fail "cpack -G DEB failed"
}
set -- "$scratch"/cpack/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single .deb: $*"
deb=$1
echo "package: $(basename "$deb")"

field() {
    dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = hueloft ] || fail "package name is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "package version is '$(field Version)', not $version"
[ -n "$(field Maintainer)" ] || fail "the package has no maintainer"
depends=$(field Depends)
echo "Depends: $depends"
[ "$(field Recommends)" = qt6-wayland ] || fail "the package recommends '$(field Recommends)', not qt6-wayland"
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6; do
    echo "$depends" | grep -q "$library" || fail "the package does not depend on $library"
done

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | LC_ALL=C sort \
    >"$scratch/packaged"
expected_files "$libdir" deb >"$scratch/expected"
compare_lists "$scratch/packaged" "$scratch/expected"

dpkg-deb -x "$deb" "$scratch/root" || fail "dpkg-deb cannot unpack $deb"
check_desktop_links "$scratch/root/usr"

# Removing that installation removes it all and nothing of the package, although cpack has
# replaced the build folder's install_manifest.txt with the package's paths.
sh "$scratch/prefix/share/hueloft/uninstall.sh" >/dev/null || fail "the uninstaller failed"
left=$(find "$scratch/prefix" -mindepth 1)
[ -z "$left" ] || fail "left after the uninstall: $left"
dpkg-deb -e "$deb" "$scratch/control"
(cd "$scratch/root" && md5sum --quiet -c "$scratch/control/md5sums") ||
    fail "the unpacked package does not verify"
if dpkg-query -W -f='${Status}' hueloft 2>/dev/null | grep -q 'ok installed'; then
    dpkg --verify hueloft || fail "the installed package does not verify"
fi
run_installed "$scratch/root/usr/bin/hueloft" "$scratch/root/usr/$libdir/hueloft/libswatchy.so"
echo "package ok"
