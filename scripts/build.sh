#!/bin/sh
# SPDX-License-Identifier: MIT
# Configures (once) and builds the tree in build/. A second run rebuilds only what changed.
# Extra arguments go to the first configure, for example -DHUELOFT_SANITIZE=ON.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${HUELOFT_BUILD_DIR:-$top/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -G Ninja "$@"
fi
cmake --build "$build" --parallel "${HUELOFT_JOBS:-2}"
