#!/bin/sh
# SPDX-License-Identifier: MIT
# Cross-builds the Windows programs with Debian's MinGW-w64: build-windows/bin/{hueloft.exe,
# swatchy.dll} for x86_64 and build-windows-i686/bin/... for i686 (the 32-bit stdcall build).
# Installs the compilers and Wine first when they are missing. A second run rebuilds only what
# changed. HUELOFT_WINDOWS_BUILD_DIR and HUELOFT_WINDOWS_I686_BUILD_DIR move the two folders;
# HUELOFT_WINDOWS_TARGETS names the targets to build in each (all by default: the programs
# and the test programs that the Wine tests run).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" windows

# The icon is painted by a build-time tool that needs Qt: it comes from the Linux build
# (HUELOFT_BUILD_DIR, build/ by default), which gets only that target built here.
icon="${HUELOFT_ICON_FILE:-}"
if [ -z "$icon" ]; then
    host="${HUELOFT_BUILD_DIR:-$top/build}"
    "$top/scripts/setup.sh" run
    [ -f "$host/CMakeCache.txt" ] || cmake -S "$top" -B "$host" -G Ninja
    cmake --build "$host" --target hueloft_icons --parallel "${HUELOFT_JOBS:-2}"
    icon="$host/editor/resources/icons/hueloft.ico"
fi

build_one() {
    processor=$1
    build=$2
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-$processor.cmake" \
            -DCMAKE_BUILD_TYPE=MinSizeRel -DHUELOFT_ICON_FILE="$icon"
    elif ! grep -qxF "HUELOFT_ICON_FILE:FILEPATH=$icon" "$build/CMakeCache.txt"; then
        cmake -B "$build" -DHUELOFT_ICON_FILE="$icon"
    fi
    # shellcheck disable=SC2086
    cmake --build "$build" --parallel "${HUELOFT_JOBS:-2}" \
        ${HUELOFT_WINDOWS_TARGETS:+--target $HUELOFT_WINDOWS_TARGETS}
}

build_one x86_64 "${HUELOFT_WINDOWS_BUILD_DIR:-$top/build-windows}"
build_one i686 "${HUELOFT_WINDOWS_I686_BUILD_DIR:-$top/build-windows-i686}"
