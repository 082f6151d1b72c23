#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, running or testing hueloft needs, and only the
# ones that are missing. Usage: scripts/setup.sh run|test
set -eu

# To build and run the editor.
run_packages="cmake ninja-build g++ ccache qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-qpa-plugins fonts-dejavu-core"
# To run the whole test suite: a headless X server with a window manager, tools that drive
# it from outside, and the checkers and compilers of the packaging and fuzzing tests.
test_packages="xvfb xauth xdotool xclip x11-utils openbox libqt6test6
  clang libclang-rt-14-dev desktop-file-utils appstream dpkg-dev file
  binutils-mingw-w64-x86-64 dbus-x11"

case "${1:-run}" in
    run) wanted="$run_packages" ;;
    test) wanted="$run_packages $test_packages" ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
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
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing
