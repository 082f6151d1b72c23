#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the Linux program and both Windows builds, and runs the
# whole test suite through ctest (the Windows programs under Wine).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${HUELOFT_BUILD_DIR:-$top/build}"
"$top/scripts/setup.sh" test
"$top/scripts/build.sh"
"$top/scripts/build-windows.sh"
cd "$build"
exec ctest --output-on-failure --parallel "${HUELOFT_JOBS:-2}"
