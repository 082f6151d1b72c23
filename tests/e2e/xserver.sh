#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a command under an X server of its own: Xvfb picks a free display number itself
# (-displayfd), so servers started at the same instant, by this suite or by anything else on
# the machine, never pick the same one (xvfb-run -a can). The server ends with the command.
# -noreset: a test whose last client closes (an xdotool search before the program starts,
# with no window manager) must not have the server start over under the next one.
# Usage: xserver.sh command [arguments...]
set -eu
# The pipe for the display number and the server's log live in a folder only this user can
# enter: in the shared temporary folder anyone could put a link or a FIFO at a name made there.
folder=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-xserver.XXXXXX")
server=""
finish() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$folder"
}
trap finish EXIT
trap 'exit 1' HUP INT TERM
mkfifo "$folder/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$folder/display" \
    >"$folder/log" 2>&1 &
server=$!
display=$(head -n 1 <"$folder/display")
# What the server said, for a run that failed: the first question when a client could not
# connect is whether the server was still there.
server_failed() {
    state=running
    kill -0 "$server" 2>/dev/null || state="no longer running"
    echo "xserver.sh: $1; Xvfb (process $server) is $state; what it printed follows" >&2
    sed 's/^/  /' "$folder/log" >&2
}
if [ -z "$display" ]; then
    server_failed "Xvfb did not start"
    exit 1
fi
export DISPLAY=":$display"
status=0
"$@" || status=$?
[ "$status" -eq 0 ] || server_failed "the command under display $DISPLAY failed"
exit "$status"
