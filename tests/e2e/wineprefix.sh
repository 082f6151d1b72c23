#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the one Wine prefix the Windows end-to-end tests of a run share (create|remove <dir>).
# A default prefix with one font added: Wine's own Tahoma (Debian's fonts-wine), the dialog font
# of every Windows since 2000 and the one the layout was drawn for. Debian's Wine does not look
# in /usr/share/wine/fonts, and without it the dialog font would be whatever wider face the
# machine happens to have; in the prefix's Fonts folder it is found on every machine.
set -eu
wine=/usr/lib/wine/wine64
case "$1" in
    create)
        [ -x "$wine" ] || { echo "SKIP: $wine is not installed"; exit "${HUELOFT_SKIP_STATUS:-77}"; }
        # A prefix left by a run that was stopped may still have its server running.
        [ -d "$2" ] && WINEPREFIX="$2" /usr/lib/wine/wineserver -k 2>/dev/null || true
        rm -rf "$2"
        mkdir -p "$(dirname "$2")"
        WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= \
            "$wine" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$2" /usr/lib/wine/wineserver -w
        [ -d "$2/drive_c/windows" ] || { echo "FAIL: wineboot made no prefix in $2" >&2; exit 1; }
        cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf \
            "$2/drive_c/windows/Fonts/" ||
            { echo "FAIL: no Tahoma in /usr/share/wine/fonts (fonts-wine)" >&2; exit 1; }
        echo "prefix ready: $2"
        ;;
    remove)
        WINEPREFIX="$2" /usr/lib/wine/wineserver -k 2>/dev/null || true
        rm -rf "$2"
        ;;
esac
