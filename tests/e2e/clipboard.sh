#!/bin/sh
# SPDX-License-Identifier: MIT
# The real program under Xvfb: copies started with the keyboard, read back by another process.
# Usage: clipboard.sh <folder of hueloft and libswatchy.so>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/lib.sh"

start_window_manager
launch

check_copies

keys alt+x
wait_exit
[ -s "$work/stderr" ] && { echo "stderr:"; cat "$work/stderr"; }
expect_equal "saved sample width" "$(ini_value 'RGB Sample' Width)" 40
expect_equal "saved sample height" "$(ini_value 'RGB Sample' Height)" 256
echo "PASS"
