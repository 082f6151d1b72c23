#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows installer under Wine: a silent install (/S) puts the program under Program Files
# with a Start-menu entry and an entry among the installed programs; the installed program is
# started, used and closed; a silent uninstall leaves no program file behind, only the user's
# settings. Usage: wine_install.sh <folder of hueloft.exe> <installer>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/wine.sh"
installer=$2
[ -f "$installer" ] || { echo "SKIP: no installer at $installer (scripts/package-windows.sh)"; exit "${HUELOFT_SKIP_STATUS:-77}"; }

installed="$WINEPREFIX/drive_c/Program Files/hueloft"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/RGB Tintora.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\hueloft'
# The installed program keeps each user's settings in %APPDATA%\hueloft, although Wine (which
# keeps no access rights) lets it write Program Files.
settings_of_install() {
    for f in "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/hueloft/HUELOFT.INI; do
        [ -f "$f" ] && { echo "$f"; return 0; }
    done
    return 1
}

start_window_manager
"$wine" "$installer" /S || fail "the silent install failed"
"$wineserver" -w
for f in hueloft.exe swatchy.dll LICENSE.txt README.txt hueloft.installed uninstall.exe; do
    [ -f "$installed/$f" ] || fail "not installed: Program Files/hueloft/$f"
done
echo "ok: installed under Program Files"
[ -f "$menu" ] || fail "no Start-menu entry"
echo "ok: Start-menu entry"
"$wine" reg query "$key" /v UninstallString 2>/dev/null | grep -qi 'uninstall.exe' ||
    fail "no entry among the installed programs"
expect_equal "listed name" \
    "$("$wine" reg query "$key" /v DisplayName 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')" \
    "RGB Tintora"

launch "C:\\Program Files\\hueloft\\hueloft.exe"
keys Right Right Right
keys alt+r
expect_equal "the installed program copies" "$(clipboard_text)" "RGB(3, 0, 0)"
keys alt+x
wait_exit
ini=$(settings_of_install) || fail "the installed program kept no settings in %APPDATA%"
[ -e "$installed/HUELOFT.INI" ] && fail "the installed program wrote into Program Files"
expect_equal "its settings" "$(ini_value 'RGB Color' Red "$ini")" 3
echo "settings kept in: ${ini#"$WINEPREFIX"/}"

"$wine" "$installed/uninstall.exe" /S || fail "the silent uninstall failed"
# The uninstaller runs from a copy of itself and returns at once: wait for it to finish.
for _ in $(seq 300); do
    [ -f "$installed/uninstall.exe" ] || break
    sleep 0.1
done
"$wineserver" -w
left=$(find "$installed" -type f 2>/dev/null || true)
[ -z "$left" ] || fail "left behind after the uninstall: $left"
[ -f "$menu" ] && fail "the Start-menu entry is still there"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "still listed among the installed programs"
[ -f "$ini" ] || fail "the uninstall removed the user's settings"
echo "ok: no program file left, the user's settings kept"
echo "PASS"
