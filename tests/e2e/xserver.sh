#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a command under an X server of its own: Xvfb picks a free display number itself
# (-displayfd), so servers started at the same instant, by this suite or by anything else on
# the machine, never pick the same one (xvfb-run -a can). The server ends with the command.
# Usage: xserver.sh command [arguments...]
set -eu
fifo=$(mktemp -u "${TMPDIR:-/tmp}/hueloft-xserver.XXXXXX")
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
server=$!
display=$(head -n 1 <"$fifo")
rm -f "$fifo"
if [ -z "$display" ]; then
    echo "xserver.sh: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$display"
status=0
"$@" || status=$?
kill "$server" 2>/dev/null || true
wait "$server" 2>/dev/null || true
exit "$status"
