#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the profile fuzzer with clang in build-fuzz/ and runs it for the given number of
# seconds (default 60), starting from fuzz/corpus/; prints the number of executions.
# Usage: scripts/fuzz.sh [seconds]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-60}"
build="${HUELOFT_FUZZ_DIR:-$top/build-fuzz}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DHUELOFT_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
        -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target profile_fuzzer --parallel "${HUELOFT_JOBS:-2}"

# New inputs go to the build folder; the committed seeds stay as they are.
corpus="$build/fuzz-corpus"
mkdir -p "$corpus"
log="$build/fuzz.log"
status=0
"$build/bin/profile_fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$build/" "$corpus" "$top/fuzz/corpus" >"$log" 2>&1 || status=$?
grep -E '^#[0-9]+[[:space:]]+DONE|^Done |ERROR|SUMMARY|^profile_fuzzer:|^artifact_prefix|Test unit written' "$log" || true
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
echo "executions: ${executions:-unknown} in ${seconds} s (log: $log)"
exit "$status"
