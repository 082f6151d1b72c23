#!/bin/sh
# SPDX-License-Identifier: MIT
# The real program under Xvfb read through the accessibility bus (AT-SPI) by another process,
# as a screen reader reads it; in a D-Bus session of its own (dbus-run-session), which starts
# the accessibility bus and its registry when they are first asked for.
# Usage: atspi.sh <folder of hueloft and libswatchy.so>
set -eu
# Debian's pyatspi belongs to Debian's own Python, whichever python3 comes first on the path.
python=/usr/bin/python3
if [ -z "${HUELOFT_E2E_INNER:-}" ]; then
    for tool in dbus-run-session dbus-send Xvfb xdotool "$python"; do
        command -v "$tool" >/dev/null 2>&1 ||
            { echo "FAIL: $tool is not installed (scripts/setup.sh test installs it)" >&2; exit 1; }
    done
    "$python" -c 'import pyatspi' 2>/dev/null ||
        { echo "FAIL: python3-pyatspi is not installed (scripts/setup.sh test installs it)" >&2; exit 1; }
    HUELOFT_E2E_INNER=1 exec dbus-run-session -- sh "$(dirname "$0")/xserver.sh" "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"

printf '[RGB Color]\nRed=10\nGreen=20\nBlue=30\n' >"$prog/HUELOFT.INI"
# A screen reader announces itself on the accessibility bus's status, and the toolkit turns
# its accessibility on when it sees that: as Orca does, before the program starts.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:ScreenReaderEnabled \
    variant:boolean:true >/dev/null || fail "cannot announce a screen reader on the bus"
launch
"$python" "$here/atspi_check.py" || fail "the editor as read through AT-SPI (see above)"
wait_exit
expect_equal "green saved after the Exit action" "$(ini_value 'RGB Color' Green)" 99
expect_equal "notation saved" "$(ini_value 'RGB Tintora' HexaFormat)" 2
echo "PASS"
