#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the tree with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/ and runs
# the test suite there. Leaks and memory errors of our own code fail the run; the few reports
# that come from inside Qt's and fontconfig's caches are suppressed by
# cmake/sanitizer-suppressions, each entry with its reason.
# The packaging tests are left out: they build and install a package, which tests nothing more
# under a sanitizer and takes minutes; so are the Windows builds, which are not built with one.
# Extra arguments go to ctest (for example -R faults).
# Usage: scripts/test-sanitize.sh [ctest arguments...]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${HUELOFT_ASAN_DIR:-$top/build-asan}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DHUELOFT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build "$build" --parallel "${HUELOFT_JOBS:-2}"

# detect_leaks: the point of the run. abort_on_error: a report ends the test at once with a
# failure ctest sees. The exit-time leak check runs in every process, the children that the
# tests start included. Not strict_string_checks: it makes strndup() check all n bytes, and
# libxkbcommon-x11 (Qt's keyboard set-up under X) rightly passes a buffer that is shorter than
# n, so every program under Xvfb would stop there before its window appears.
suppressions="$top/cmake/sanitizer-suppressions"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
exec ctest --output-on-failure --parallel "${HUELOFT_JOBS:-2}" -LE 'packaging|wine' "$@"
