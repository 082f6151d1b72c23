#!/bin/sh
# SPDX-License-Identifier: MIT
# What a newcomer waits for: the time from a fresh clone to the first window of
# scripts/run.sh, with ccache off so that nothing built earlier on the machine helps. The
# packages must already be installed. Prints one line: "<ref>: <seconds> s to the first window".
# Usage: bench/first-window.sh <repository> <branch or commit>
set -eu
repo=$1
ref=$2
here=$(cd "$(dirname "$0")" && pwd)
export CCACHE_DISABLE=1

# Runs under the X server of tests/e2e/xserver.sh.
if [ -n "${HUELOFT_FIRST_WINDOW_INNER:-}" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-firstwindow.XXXXXX")
    pid=""
    trap '{ [ -n "$pid" ] && kill "$pid" 2>/dev/null; } || true; rm -rf "$work"' EXIT
    start=$(date +%s.%N)
    git clone -q "$repo" "$work/clone"
    git -C "$work/clone" checkout -q "$ref"
    HOME="$work" QT_QPA_PLATFORM=xcb "$work/clone/scripts/run.sh" >"$work/log" 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --name '^RGB Tintora$' >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { cat "$work/log" >&2; exit 1; }
        sleep 0.2
    done
    end=$(date +%s.%N)
    echo "$ref: $(echo "$end - $start" | bc) s to the first window"
    exit 0
fi
HUELOFT_FIRST_WINDOW_INNER=1 exec sh "$here/../tests/e2e/xserver.sh" sh "$0" "$@"
