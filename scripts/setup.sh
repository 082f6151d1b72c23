#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, running or testing hueloft needs, and only the
# ones that are missing. Usage: scripts/setup.sh run|deb|test|windows
set -eu

# To build and run the editor.
run_packages="cmake ninja-build g++ ccache qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-qpa-plugins fonts-dejavu-core"
# To make the Debian package (cpack -G DEB): the package's dependencies come from dpkg-shlibdeps.
deb_packages="dpkg-dev file"
# To run the whole test suite: a headless X server with a window manager, tools that drive
# it from outside, and the checkers and compilers of the packaging and fuzzing tests.
# A Wayland compositor with its keyboard and clipboard tools and Qt's Wayland plug-in; the
# accessibility bus and its Python client; lintian for the package; ACL and extended attribute
# tools for the settings file's identity; diffoscope to show what differs between two builds
# (scripts/reproducible.sh). xsetroot paints the desktop a colour to pick from the screen; the
# desktop portal answers a colour picked on Wayland; xmllint checks the Windows manifest.
test_packages="xvfb xauth xdotool xclip x11-utils x11-xserver-utils openbox libqt6test6
  clang libclang-rt-14-dev desktop-file-utils appstream dpkg-dev file
  binutils-mingw-w64-x86-64
  sway wtype wl-clipboard qt6-wayland util-linux xdg-desktop-portal
  dbus dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi
  lintian acl attr diffoscope-minimal libxml2-utils"

# To cross-build the Windows programs and run them under Wine. Only the 64-bit Wine: the
# 32-bit build is checked by its export table, never run (no i386 architecture, no wine32).
# Wine's own fonts give the dialog font Windows has; NSIS and zip make the two downloads.
windows_packages="cmake ninja-build ccache g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64 fonts-wine nsis zip"

case "${1:-run}" in
    run) wanted="$run_packages" ;;
    deb) wanted="$run_packages $deb_packages" ;;
    test) wanted="$run_packages $test_packages $windows_packages" ;;
    windows) wanted="$windows_packages" ;;
    *) echo "usage: $0 run|deb|test|windows" >&2; exit 2 ;;
esac

missing=""
for p in $wanted; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "setup: installing$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# Other builds on the same machine may be installing at the same moment: wait for their lock.
$sudo apt-get -o DPkg::Lock::Timeout=600 update -q
# shellcheck disable=SC2086
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends $missing
