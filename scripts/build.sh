#!/bin/sh
# SPDX-License-Identifier: MIT
# Configures (once) and builds the tree in build/. A second run rebuilds only what changed.
# Extra arguments go to the first configure, for example -DHUELOFT_SANITIZE=ON. HUELOFT_TARGETS
# names the targets to build (all by default).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${HUELOFT_BUILD_DIR:-$top/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -G Ninja "$@"
fi
# shellcheck disable=SC2086
cmake --build "$build" --parallel "${HUELOFT_JOBS:-2}" ${HUELOFT_TARGETS:+--target $HUELOFT_TARGETS}
