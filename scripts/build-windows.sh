#!/bin/sh
# SPDX-License-Identifier: MIT
# Cross-builds the Windows programs with Debian's MinGW-w64: build-windows/bin/{hueloft.exe,
# swatchy.dll} for x86_64 and build-windows-i686/bin/... for i686 (the 32-bit stdcall build).
# Installs the compilers and Wine first when they are missing. A second run rebuilds only what
# changed. HUELOFT_WINDOWS_BUILD_DIR and HUELOFT_WINDOWS_I686_BUILD_DIR move the two folders.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" windows

build_one() {
    processor=$1
    build=$2
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-$processor.cmake" \
            -DCMAKE_BUILD_TYPE=MinSizeRel
    fi
    cmake --build "$build" --parallel "${HUELOFT_JOBS:-2}"
}

build_one x86_64 "${HUELOFT_WINDOWS_BUILD_DIR:-$top/build-windows}"
build_one i686 "${HUELOFT_WINDOWS_I686_BUILD_DIR:-$top/build-windows-i686}"
