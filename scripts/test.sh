#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the Linux program and both Windows builds, and runs the
# whole test suite through ctest (the Windows programs under Wine).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${HUELOFT_BUILD_DIR:-$top/build}"
"$top/scripts/setup.sh" test
"$top/scripts/build.sh"
# Both Windows builds with the test programs the Wine tests run beside them, and the
# installer the Wine tests install (which builds only what it ships).
"$top/scripts/build-windows.sh"
"$top/scripts/package-windows.sh"
cd "$build"
# Everything a test needs has just been installed and built: a test that would skip for want
# of a tool or a build fails instead, so that a broken set-up cannot pass unseen.
export HUELOFT_SKIP_STATUS=1
exec ctest --output-on-failure --parallel "${HUELOFT_JOBS:-2}"
