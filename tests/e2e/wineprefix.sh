#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the one Wine prefix the Windows end-to-end tests of a run share (create|remove <dir>).
# A default prefix, nothing added: the captions are measured in the dialog font a user's Wine
# has, Tahoma from Wine's own fonts (Debian's fonts-wine, which the README asks for).
set -eu
wine=/usr/lib/wine/wine64
case "$1" in
    create)
        [ -x "$wine" ] || { echo "SKIP: $wine is not installed"; exit "${HUELOFT_SKIP_STATUS:-77}"; }
        rm -rf "$2"
        mkdir -p "$(dirname "$2")"
        WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= \
            "$wine" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$2" /usr/lib/wine/wineserver -w
        [ -d "$2/drive_c/windows" ] || { echo "FAIL: wineboot made no prefix in $2" >&2; exit 1; }
        echo "prefix ready: $2"
        ;;
    remove)
        WINEPREFIX="$2" /usr/lib/wine/wineserver -k 2>/dev/null || true
        rm -rf "$2"
        ;;
esac
