#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows installer under Wine: a silent install (/S) puts the program under Program Files
# with a Start-menu entry and an entry among the installed programs; the installed program is
# started, used and closed; a silent uninstall leaves no program file behind, only the user's
# settings. Then one for the current user (/CurrentUser): under its own folders and registry;
# its upgrade while the program runs asks to close it and goes on after Retry; a second one
# (/D= with forward slashes and "..") gets an entry and a shortcut of its own, and each
# uninstaller removes only its own, the all-users ones kept. Silent installs into a folder
# they cannot use fail with nothing registered. An install into a folder holding the user's
# own files, which stay as they were through the uninstall. Last, the installer with its pages
# over the install for every user: "Install just for me" is first offered to update that one.
# Usage: wine_install.sh <folder of hueloft.exe> <installer>
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

# The value of $2 in the registry key $1.
reg_value() {
    "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/.*$2  *REG_[A-Z_]*  *//p"
}

# Waits until the uninstaller in the folder $1 is done (it runs from a copy of itself, and
# the command returns at once).
uninstalled() {
    for _ in $(seq 300); do
        [ -f "$1/uninstall.exe" ] || break
        sleep 0.1
    done
    "$wineserver" -w
}

# Runs the uninstaller in the folder $1 silently and waits until it is done.
uninstall() {
    "$wine" "$1/uninstall.exe" /S || fail "the silent uninstall in $1 failed"
    uninstalled "$1"
}

# The installer's version record names the owner's company.
strings -el "$installer" | grep -A1 -x CompanyName | tail -n 1 | grep -q . ||
    fail "the installer's version record names no company"

start_window_manager
"$wine" "$installer" /S || fail "the silent install failed"
"$wineserver" -w
for f in hueloft.exe swatchy.dll LICENSE.txt README.txt hueloft.installed uninstall.exe; do
    [ -f "$installed/$f" ] || fail "not installed: Program Files/hueloft/$f"
done
grep -qF 'settings are in %APPDATA%\hueloft\HUELOFT.INI' "$installed/hueloft.installed" ||
    fail "hueloft.installed does not say where the settings are"
echo "ok: installed under Program Files"
[ -f "$menu" ] || fail "no Start-menu entry"
echo "ok: Start-menu entry"
# The size listed is that of every installed file, the uninstaller included.
bytes=$(cat "$installed"/* | wc -c)
expect_equal "listed size (KB)" "$(($(reg_value "$key" EstimatedSize)))" "$(((bytes + 1023) / 1024))"
"$wine" reg query "$key" /v UninstallString 2>/dev/null | grep -qi 'uninstall.exe' ||
    fail "no entry among the installed programs"
expect_equal "listed name" \
    "$("$wine" reg query "$key" /v DisplayName 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')" \
    "RGB Tintora"

launch "C:\\Program Files\\hueloft\\hueloft.exe"
keys Right Right Right
keys alt+r
expect_clipboard "the installed program copies" "RGB(3, 0, 0)"
keys alt+x
wait_exit
ini=$(settings_of_install) || fail "the installed program kept no settings in %APPDATA%"
[ -e "$installed/HUELOFT.INI" ] && fail "the installed program wrote into Program Files"
expect_equal "its settings" "$(ini_value 'RGB Color' Red "$ini")" 3
echo "settings kept in: ${ini#"$WINEPREFIX"/}"
# The marker lost: the install's entry still names the folder, so the settings stay where they
# are, and one line says why.
rm "$installed/hueloft.installed"
: >"$work/stderr"
launch "C:\\Program Files\\hueloft\\hueloft.exe"
keys Right alt+x
wait_exit
[ -e "$installed/HUELOFT.INI" ] && fail "without its marker the installed program wrote into Program Files"
expect_equal "its settings without the marker" "$(ini_value 'RGB Color' Red "$ini")" 4
grep -q "hueloft.installed is missing, but this copy's install names its folder; settings kept in C:.*AppData.Roaming.hueloft.HUELOFT.INI" \
    "$work/stderr" && [ "$(grep -c . "$work/stderr")" = 1 ] || fail "standard error: $(cat "$work/stderr")"


# For the current user only: its own program folder, Start menu and registry hive.
mine=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local | grep -v /Public/ | head -n 1)/Programs/hueloft
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\hueloft'
user_menu=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs | grep -v /Public/ | head -n 1)
programs_made=1
[ -d "$(dirname "$mine")" ] && programs_made=0
"$wine" "$installer" /S /CurrentUser || fail "the silent install for the current user failed"
"$wineserver" -w
for f in hueloft.exe swatchy.dll uninstall.exe hueloft.installed; do
    [ -f "$mine/$f" ] || fail "not installed for the current user: AppData/Local/Programs/hueloft/$f"
done
ls "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/RGB\ Tintora.lnk \
    >/dev/null 2>&1 || fail "no Start-menu entry of the current user"
expect_equal "entry of the current user" "$(reg_value "$user_key" DisplayName)" "RGB Tintora"
"$wine" reg query "$key-2" >/dev/null 2>&1 && fail "the install for the current user is listed for all"
echo "ok: installed for the current user"

# A second install for the current user, in a folder named with forward slashes and "..": an
# entry and a shortcut of its own, the folder in its Windows form.
"$wine" "$installer" /S /CurrentUser '/D=C:/Apps/sub/../B' || fail "the install into C:/Apps/sub/../B failed"
"$wineserver" -w
[ -f "$WINEPREFIX/drive_c/Apps/B/hueloft.exe" ] || fail "not installed in C:\\Apps\\B"
case "$(reg_value "$user_key" InstallLocation)" in
    *'\Programs\hueloft') ;;
    *) fail "the first entry of the user now names $(reg_value "$user_key" InstallLocation)" ;;
esac
expect_equal "entry of the second" "$(reg_value "$user_key-2" InstallLocation)" 'C:\Apps\B'
expect_equal "its shortcut" "$(reg_value "$user_key-2" Shortcut | sed 's/.*\\//')" "RGB Tintora (2).lnk"
# An entry that names its folder in another spelling is still its own.
"$wine" reg add "$user_key-2" /v InstallLocation /d 'c:\apps\sub\..\b\' /f >/dev/null 2>&1

# An upgrade while the program runs: it says so and waits; it keeps the earlier folder.
launch "$mine/hueloft.exe"
# Wine's message-box trace shows the box's text.
WINEDEBUG=+msgbox "$wine" "$installer" /S /CurrentUser 2>"$work/setup.log" &
setup=$!
box=$(find_window '^RGB Tintora .* Setup$') || fail "the upgrade did not say that the program runs"
kill -0 "$setup" 2>/dev/null || fail "the upgrade ended while the program ran"
grep -aq 'MSGBOX_OnInit L"RGB Tintora is running. Close it, then press Retry."' "$work/setup.log" ||
    fail "the upgrade's message: $(grep -a MSGBOX_OnInit "$work/setup.log")"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
keys alt+x
wait_exit
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
keys Return
wait "$setup" || fail "the upgrade failed after the program closed"
"$wineserver" -w
[ -f "$mine/hueloft.exe" ] || fail "the upgrade lost the program"
"$wine" reg query "$key-2" >/dev/null 2>&1 && fail "the upgrade changed the kind of install"
echo "ok: the upgrade waited for the running program"

# So does the uninstall.
launch "$mine/hueloft.exe"
WINEDEBUG=+msgbox "$wine" "$mine/uninstall.exe" /S 2>"$work/uninstall.log" ||
    fail "the silent uninstall for the current user failed"
box=$(find_window '^RGB Tintora .* Uninstall$') || fail "the uninstall did not say that the program runs"
grep -aq 'MSGBOX_OnInit L"RGB Tintora is running' "$work/uninstall.log" || fail "the uninstall's message differs"
[ -f "$mine/hueloft.exe" ] || fail "the uninstall removed the running program"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
keys alt+x
wait_exit
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
keys Return
uninstalled "$mine"
left=$(find "$mine" -type f 2>/dev/null | grep -v '/HUELOFT.INI$' || true)
[ -z "$left" ] || fail "left behind after the uninstall for the current user: $left"
"$wine" reg query "$user_key" >/dev/null 2>&1 && fail "still listed for the current user"
# Every other install keeps its entry and shortcut: the second one's, and those for all users.
[ -n "$(reg_value "$user_key-2" InstallLocation)" ] || fail "the uninstall removed the other entry of the user"
[ -f "$user_menu/RGB Tintora (2).lnk" ] || fail "the uninstall removed the other shortcut of the user"
[ -n "$(reg_value "$key" InstallLocation)" ] || fail "the uninstall for the current user removed the entry for all users"
[ -f "$menu" ] || fail "the uninstall for the current user removed the shortcut for all users"
[ "$programs_made" = 0 ] || [ -d "$mine" ] || [ ! -d "$(dirname "$mine")" ] ||
    fail "the uninstall left the empty Programs folder that its install made"
echo "ok: uninstalled for the current user"
uninstall "$WINEPREFIX/drive_c/Apps/B"
"$wine" reg query "$user_key-2" >/dev/null 2>&1 && fail "the second install is still listed"
[ -f "$user_menu/RGB Tintora (2).lnk" ] && fail "the second install's shortcut is still there"
[ -f "$menu" ] || fail "the second uninstall removed the shortcut for all users"
echo "ok: the second install uninstalled by its own entry"

# A folder it cannot use (a file where its subfolder would go), or a file named as the folder:
# a non-zero status, and nothing registered, no shortcut, no program file.
mkdir -p "$WINEPREFIX/drive_c/Data2"
echo "the user's own" >"$WINEPREFIX/drive_c/Data2/hueloft"
shortcuts=$(ls "$user_menu")
for folder in 'C:\Data2' 'C:\Data2\hueloft'; do
    status=0
    "$wine" "$installer" /S /CurrentUser "/D=$folder" || status=$?
    "$wineserver" -w
    [ "$status" -ne 0 ] || fail "a silent install into $folder said it succeeded"
    "$wine" reg query "$user_key" >/dev/null 2>&1 && fail "an install into $folder was registered"
    [ "$(ls "$user_menu")" = "$shortcuts" ] || fail "an install into $folder left a shortcut: $(ls "$user_menu")"
    expect_equal "$folder after a failed install" "$(ls "$WINEPREFIX/drive_c/Data2")" hueloft
done

# The same folder by its short (8.3) name is the same install: its entry and shortcut are
# upgraded, and its uninstaller, run through the short name, removes them.
entries() { "$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null | tr -d '\r' | grep -c '\\hueloft' || true; }
before=$(entries)
"$wine" "$installer" /S /CurrentUser '/D=C:\Apps\LongFolderName' || fail "the install into C:\Apps\LongFolderName failed"
"$wineserver" -w
expect_equal "entries after an install into a long name" "$(entries)" $((before + 1))
short=$("$wine" winepath -s 'C:\Apps\LongFolderName' 2>/dev/null | tr -d '\r')
case "$short" in *'~'*) ;; *) fail "no short name for C:\Apps\LongFolderName: $short" ;; esac
shortcuts=$(ls "$user_menu")
"$wine" "$installer" /S /CurrentUser "/D=$short" || fail "the install into $short failed"
"$wineserver" -w
expect_equal "entries after the same folder by its short name ($short)" "$(entries)" $((before + 1))
expect_equal "shortcuts after it" "$(ls "$user_menu")" "$shortcuts"
uninstall "$WINEPREFIX/drive_c/Apps/LongFolderName"
expect_equal "entries after its uninstall through the short name" "$(entries)" "$before"
[ -e "$WINEPREFIX/drive_c/Apps/LongFolderName" ] && fail "the uninstall left C:\Apps\LongFolderName"
[ "$(ls "$user_menu" | wc -l)" -lt "$(echo "$shortcuts" | wc -l)" ] || fail "the uninstall left its shortcut"
shortcuts=$(ls "$user_menu")
echo "ok: the short name of a folder is the same install"

# A /D= the installer cannot read whole: quoted (Wine quotes an argument with a blank), or
# beyond the first 1,024 characters of the command line, which is all it reads: a non-zero
# status, nothing registered, nothing written.
pad="/P=$(printf 'p%.0s' $(seq 1100))"
for args in '/D=C:\Apps\With Blank' "$pad /D=C:\\Apps\\Target"; do
    status=0
    # shellcheck disable=SC2086
    case $args in /P=*) "$wine" "$installer" /S /CurrentUser $args || status=$? ;;
        *) "$wine" "$installer" /S /CurrentUser "$args" || status=$? ;; esac
    "$wineserver" -w
    [ "$status" -ne 0 ] || fail "a silent install with ${args#"${args%??????????????????????}"} said it succeeded"
    expect_equal "entries after ...${args#"${args%??????????????????????}"}" "$(entries)" "$before"
    [ "$(ls "$user_menu")" = "$shortcuts" ] || fail "a failed install left a shortcut"
done
[ -e "$WINEPREFIX/drive_c/Apps/With Blank" ] && fail "the quoted /D= made its folder"
[ -e "$WINEPREFIX/drive_c/Apps/Target" ] && fail "the /D= beyond what is read made its folder"
echo "ok: a /D= that cannot be read whole installs nothing"

# A folder with the user's own files: the program goes into a subfolder, the files stay.
data="$WINEPREFIX/drive_c/Data"
mkdir -p "$data" "$work/own"
for f in README.txt LICENSE.txt notes.txt; do
    echo "the user's own $f" >"$data/$f"
done
cp -p "$data"/* "$work/own/"
"$wine" "$installer" /S '/D=C:\Data' || fail "the silent install into C:\\Data failed"
"$wineserver" -w
[ -f "$data/hueloft/hueloft.exe" ] || fail "the program is not in a subfolder of C:\\Data"
uninstall "$data/hueloft"
for f in README.txt LICENSE.txt notes.txt; do
    cmp -s "$data/$f" "$work/own/$f" || fail "the user's $f changed"
done
[ "$(ls "$data")" = "$(ls "$work/own")" ] || fail "C:\\Data holds $(ls "$data" | tr '\n' ' ')"
echo "ok: the user's own files stayed as they were"

# The installer with its pages over the install for every user: "Install just for me" would
# make a second "RGB Tintora" of the same name beside it. The installer asks first; No, the
# default, updates the installed one for everyone instead.
setup_title="RGB Tintora $(basename "$installer" | sed 's/^hueloft-\([0-9.]*\)-.*/\1/') Setup"
press() { "$wine" "$winbin/press_button.exe" "$setup_title" "$1" 20 || fail "no button \"$1\" in the installer"; sleep 1; }
before=$(entries)
user_shortcuts=$(ls "$user_menu")
touch -d '2001-01-01' "$installed/hueloft.exe"
WINEDEBUG=+msgbox "$wine" "$installer" 2>"$work/offer.log" &
setup=$!
find_window "^$setup_title *\$" >/dev/null || fail "the installer's first page did not appear"
press "Install just for me"
press "Next"
press "No"
grep -aq 'MSGBOX_OnInit L"RGB Tintora is already installed for anyone using this computer, in C:\\\\Program Files\\\\hueloft' "$work/offer.log" ||
    fail "the installer did not offer the install for everyone: $(grep -a MSGBOX "$work/offer.log")"
press "Install"
press "Close"
wait "$setup" || fail "the installer over the install for everyone failed"
"$wineserver" -w
expect_equal "entries of the user after it" "$(entries)" "$before"
expect_equal "shortcuts of the user after it" "$(ls "$user_menu")" "$user_shortcuts"
# Dated 2001 above, the program is the installer's copy again.
[ "$(stat -c %Y "$installed/hueloft.exe")" -gt 978307200 ] || fail "the install for everyone was not updated"
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\hueloft-2' >/dev/null 2>&1 &&
    fail "a second entry for everyone"
echo "ok: Install just for me over the install for everyone offers to update it, and No does"

uninstall "$installed"
left=$(find "$installed" -type f 2>/dev/null || true)
[ -z "$left" ] || fail "left behind after the uninstall: $left"
[ -f "$menu" ] && fail "the Start-menu entry is still there"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "still listed among the installed programs"
[ -f "$ini" ] || fail "the uninstall removed the user's settings"
echo "ok: no program file left, the user's settings kept"
echo "PASS"
