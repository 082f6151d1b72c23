#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds (for Linux and, cross-compiled, for Windows), and runs the
# whole test suite through ctest.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${HUELOFT_BUILD_DIR:-$top/build}"
"$top/scripts/setup.sh" test
"$top/scripts/build.sh"
# The Windows build and its installer, which the Wine tests run.
"$top/scripts/package-windows.sh"
cd "$build"
exec ctest --output-on-failure --parallel "${HUELOFT_JOBS:-2}"
