#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows build under Wine, used as a person uses it: typed and clamped values, the digit
# filter, the notations and their copies, HTML, exact-size samples (Wine offers them to X as
# image/bmp), the first-run file, save and restore, boxes changed without a copy, the close
# box, Edit color with Cancel and OK, About by Enter and Escape, stored values out of range, a
# 64 GB settings file, a stranger's swatchy.dll in the current folder and on PATH, Pick Screen
# Color in the colour dialog, and a 1 MB settings file through two exits at once, kills
# during the exit, a second name and backups beside the file. Colours pasted with the
# keyboard, every copy pasted back, --convert, --help and bad colours from a shell, a colour
# to start with, a second copy opened beside the first.
# Usage: wine_session.sh <folder of hueloft.exe and swatchy.dll>
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/xserver.sh" \
    "$0" "$@"
. "$(dirname "$0")/wine.sh"

above() {
    xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes || echo no
}

sample() { # the bitmap on the clipboard, as bmpinfo.py tells it
    xclip -selection clipboard -t TARGETS -o | grep -qx image/bmp ||
        fail "the sample is not offered as image/bmp"
    xclip -selection clipboard -t image/bmp -o >"$work/sample.bmp"
    python3 "$here/bmpinfo.py" "$work/sample.bmp"
}


start_window_manager

echo "--- the command line, from a shell: no window, the same statuses as on Linux"
status=0
timeout 60 "$wine" "$prog/hueloft.exe" --help >"$work/out" 2>"$work/err" || status=$?
expect_equal "--help status" "$status" 0
grep -q -- '--convert COLOUR' "$work/out" || fail "--help does not list --convert: $(cat "$work/out")"
status=0
timeout 60 "$wine" "$prog/hueloft.exe" --version >"$work/out" 2>"$work/err" || status=$?
expect_equal "--version status" "$status" 0
tr -d '\r' <"$work/out" | grep -qx 'hueloft [0-9][0-9.]*' || fail "--version: $(cat "$work/out")"
for bad in '300, 0, 0' '#12345' 'colours.txt'; do
    for option in --convert ''; do
        status=0
        # shellcheck disable=SC2086
        timeout 60 "$wine" "$prog/hueloft.exe" $option "$bad" >"$work/out" 2>"$work/err" || status=$?
        expect_equal "status of ${option:-start colour} '$bad'" "$status" 2
        expect_equal "lines on stderr for '$bad'" "$(wc -l <"$work/err")" 1
        grep -qF "'$bad'" "$work/err" || fail "the line does not name '$bad': $(cat "$work/err")"
        [ -s "$work/out" ] && fail "output for '$bad': $(cat "$work/out")"
    done
done
[ -e "$prog/HUELOFT.INI" ] && fail "the command line wrote settings"
xdotool search --name '^RGB Tintora$' >/dev/null 2>&1 && fail "the command line opened a window"

echo "--- first run: typing, filtering, clamping, copying"
launch
# The window has one size: the window manager offers no Maximize.
xprop -id "$win" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE && fail "the window can be maximized"
keys alt+r
expect_clipboard "first-run colour" "RGB(0, 0, 0)"
keys Right Right Right Right Right
keys Tab Tab Tab Tab
# Letters, a minus sign, a point and a blank never enter the box; a fourth digit does not fit.
type_text "2a-0. 09"
keys Return
keys Tab
type_text 300
keys Return
keys alt+r
expect_clipboard "typed, filtered and clamped" "RGB(5, 200, 255)"
keys alt+p alt+d
expect_clipboard "Pascal" '$00FFC805'
keys alt+b alt+d
expect_clipboard "Basic, one ampersand each end" '&H00FFC805&'
keys alt+a alt+d
expect_clipboard "assembler" '00FFC805H'
keys alt+c alt+d
expect_clipboard "C" '0x00FFC805'
# The arrows go through the notations in their keyboard order and select as they go, round at
# the ends, as the Linux build's (tst_mainwindow arrowKeysSelectNotation).
keys alt+c Right alt+d
expect_clipboard "Right from C" '$00FFC805'
keys alt+c Down Down alt+d
expect_clipboard "Down twice from C" '&H00FFC805&'
keys alt+c Left alt+d
expect_clipboard "Left from C, round" '00FFC805H'
keys alt+a Right alt+d
expect_clipboard "Right from assembler, round" '0x00FFC805'
keys alt+b Up alt+d
expect_clipboard "Up from Basic" '$00FFC805'
keys alt+c
keys alt+m
expect_clipboard "HTML" '"#05C8FF"'
keys alt+w
type_text 999
keys alt+h
type_text 5
keys alt+s
expect_equal "sample clamped to 256 x 8" "$(sample)" "256x8 #05C8FF uniform"
keys alt+r
xclip -selection clipboard -t TARGETS -o | grep -qx image/bmp &&
    fail "the text copy left the bitmap on the clipboard"
# The focus is back on the red scroll bar after a copy.
keys Left
keys alt+r
expect_clipboard "focus on red after a copy" "RGB(4, 200, 255)"
# Only Alt with the letter is an access key: plain x, m and t on the scroll bar do nothing.
keys x m t
kill -0 "$pid" 2>/dev/null || fail "a plain x ended the editor"
expect_equal "plain letters copy nothing" "$(clipboard_text)" "RGB(4, 200, 255)"
expect_equal "plain t is not Alt+T" "$(above)" no

echo "--- pasting with the keyboard: every copy back, other text changes nothing"
check_round_trips "$wine" "$prog/hueloft.exe"
# text|keys after the offer|the macro then (-: as before). The focus is on the red scroll bar;
# four Tabs reach the green box.
check_pastes <<'ROWS'
  255 128 64 |shift+Insert|RGB(255, 128, 64)
#f84|Tab Tab Tab Tab ctrl+v|RGB(255, 136, 68)
rgb(1,2,3)|Tab Tab Tab Tab shift+Insert|RGB(1, 2, 3)
128|ctrl+v|-
junk|shift+Insert|-
0x01000000|Tab Tab Tab Tab ctrl+v|-
12abc|Tab Tab Tab Tab shift+Insert Return|RGB(1, 12, 3)
RGB(4, 200, 255)|ctrl+v|RGB(4, 200, 255)
ROWS
[ -n "$offering" ] && kill "$offering" 2>/dev/null || true
keys alt+b alt+t
expect_equal "on top after Alt+T" "$(above)" yes
keys alt+x
wait_exit
[ -f "$prog/HUELOFT.INI" ] || fail "no settings file after Alt+X"
expect_equal "sections in first-run order" \
    "$(grep '^\[' "$prog/HUELOFT.INI" | tr -d '\r' | tr '\n' ' ')" \
    "[RGB Tintora] [RGB Sample] [RGB Color] [Custom Colors] "
expect_equal "keys in first-run order" \
    "$(sed -n 's/=.*//p' "$prog/HUELOFT.INI" | head -n 9 | tr '\n' ' ')" \
    "Top Left TopMost HexaFormat Width Height Red Green Blue "
grep -q "$(printf '\r')\$" "$prog/HUELOFT.INI" || fail "the file has no Windows line ends"
expect_equal "saved colour" "$(ini_value 'RGB Color' Red),$(ini_value 'RGB Color' Green),$(ini_value 'RGB Color' Blue)" "4,200,255"
expect_equal "saved notation" "$(ini_value 'RGB Tintora' HexaFormat)" 2
expect_equal "saved sample" "$(ini_value 'RGB Sample' Width)x$(ini_value 'RGB Sample' Height)" "256x8"
expect_equal "saved on top" "$(ini_value 'RGB Tintora' TopMost)" 1
expect_equal "custom colours saved" "$(ini_value 'Custom Colors' RGB_Color_15)" 0
[ -s "$work/boxes" ] && fail "a box where all was well: $(cat "$work/boxes")"
left=$(ini_value 'RGB Tintora' Left)
top=$(ini_value 'RGB Tintora' Top)

echo "--- second run: restored; boxes changed without a copy; the close box saves"
launch
expect_equal "restored on top" "$(above)" yes
keys alt+d
expect_clipboard "restored colour and notation" '&H00FFC804&'
keys alt+w
type_text 100
keys alt+h
type_text 50
keys alt+t
expect_equal "ordinary again" "$(above)" no
# A green value typed and never committed (no Enter, the focus still in its box) is saved too.
keys alt+r Tab Tab Tab Tab
type_text 77
keys alt+F4
wait_exit
expect_equal "typed green saved at the close box" "$(ini_value 'RGB Color' Green)" 77
expect_equal "sample kept without a copy" "$(ini_value 'RGB Sample' Width)x$(ini_value 'RGB Sample' Height)" "256x8"
expect_equal "saved after the close box" "$(ini_value 'RGB Tintora' TopMost)" 0
expect_equal "position kept" "$(ini_value 'RGB Tintora' Left),$(ini_value 'RGB Tintora' Top)" \
    "$left,$top"

echo "--- a colour to start with: shown, and saved only by the exit"
mkdir "$work/start"
cp "$prog/hueloft.exe" "$prog/swatchy.dll" "$work/start/"
printf '[RGB Color]\r\nRed=7\r\nGreen=8\r\nBlue=9\r\n' >"$work/start/HUELOFT.INI"
launch "$work/start/hueloft.exe" 'RGB(16, 32, 48)'
keys alt+r
expect_clipboard "started with" "RGB(16, 32, 48)"
expect_equal "stored colour untouched while it runs" "$(ini_value 'RGB Color' Red "$work/start/HUELOFT.INI")" 7
keys alt+x
wait_exit
expect_equal "saved at exit" "$(ini_value 'RGB Color' Red "$work/start/HUELOFT.INI"),$(ini_value 'RGB Color' Green "$work/start/HUELOFT.INI"),$(ini_value 'RGB Color' Blue "$work/start/HUELOFT.INI")" "16,32,48"

echo "--- Edit color with Cancel and OK; About by Enter and Escape"
launch
keys alt+e
dialog=$(find_window '^Color$') || fail "Edit color opened no colour dialog"
keys Escape
keys alt+r
expect_clipboard "Cancel keeps the colour" "RGB(4, 77, 255)"
keys Right
keys alt+r
expect_clipboard "focus on red after Cancel" "RGB(5, 77, 255)"
keys alt+e
find_window '^Color$' >/dev/null || fail "the colour dialog did not open again"
# The dialog opens with Red selected: type over it, leave the field, OK.
type_text 10
keys Tab
keys Return
keys alt+r
expect_clipboard "OK applies the colour" "RGB(10, 77, 255)"
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
keys Return
about=$(find_window '^About RGB Tintora$') || fail "Enter on About opened no About box"
eval "$(xdotool getwindowgeometry --shell "$about")"
# Centred on the 1280 x 1024 screen. xdotool sees the client area, which the window manager's
# title bar pushes down by its own height (under 40 pixels), and its borders by a pixel or two.
centre_x=$((X + WIDTH / 2))
centre_y=$((Y + HEIGHT / 2))
[ "$centre_x" -ge 636 ] && [ "$centre_x" -le 644 ] && [ "$centre_y" -ge 508 ] &&
    [ "$centre_y" -le 552 ] || fail "the About box is not centred: centre at $centre_x,$centre_y"
echo "ok: About centred at $centre_x,$centre_y"
# The main window takes no keys while the box is open.
xdotool key --window "$win" alt+x
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "Alt+X reached the main window behind the About box"
keys Return
sleep 0.5
xdotool search --onlyvisible --name '^About RGB Tintora$' >/dev/null 2>&1 &&
    fail "Enter did not close the About box"
keys Right
keys alt+r
expect_clipboard "focus on red after About" "RGB(11, 77, 255)"
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
keys Return
find_window '^About RGB Tintora$' >/dev/null || fail "the About box did not open again"
keys Escape
sleep 0.5
xdotool search --onlyvisible --name '^About RGB Tintora$' >/dev/null 2>&1 &&
    fail "Escape did not close the About box"
keys alt+x
wait_exit
expect_equal "saved after the dialogs" "$(ini_value 'RGB Color' Red)" 11

echo "--- Pick Screen Color on a desktop painted a known colour"
# Escape leaves the dialog as it was; a click on the desktop, then OK, takes the colour there.
# Alt+R in the dialog goes to its Red box, where Enter is OK.
xsetroot -solid '#3366cc'
launch
pick_from_desktop() { # Escape: cancel the pick, then type 7 into Red; click: take the colour
    keys alt+e
    find_window '^Color$' >/dev/null || fail "Edit color opened no colour dialog"
    keys alt+p
    xdotool mousemove 20 1000
    sleep 0.3
    if [ "$1" = Escape ]; then
        keys Escape alt+r
        type_text 7
    else
        xdotool click 1
        sleep 0.4
        keys alt+r
    fi
    keys Return
    keys alt+r
}
pick_from_desktop Escape
expect_clipboard "Escape leaves the dialog as it was, and working" "RGB(7, 77, 255)"
pick_from_desktop click
expect_clipboard "colour picked from the desktop" "RGB(51, 102, 204)"
keys alt+x
wait_exit
expect_equal "picked colour saved" "$(ini_value 'RGB Color' Red),$(ini_value 'RGB Color' Green),$(ini_value 'RGB Color' Blue)" \
    "51,102,204"
expect_equal "custom colours untouched by picking" "$(ini_value 'Custom Colors' RGB_Color_0)" 0

echo "--- stored values out of range"
printf '[RGB Color]\r\nRed=300\r\nGreen=-5\r\nBlue=abc\r\n[RGB Sample]\r\nWidth=1000\r\nHeight=32\r\n[RGB Tintora]\r\nHexaFormat=7\r\nTopMost=5\r\n' \
    >"$prog/HUELOFT.INI"
launch
expect_equal "TopMost 5 is not on top" "$(above)" no
keys alt+r
expect_clipboard "channels brought into range" "RGB(255, 0, 0)"
keys alt+d
expect_clipboard "notation 0 until the colour changes" "0x000000FF"
keys Left alt+d
expect_clipboard "bare digits for notation 7" "000000FE"
keys alt+x
wait_exit
expect_equal "HexaFormat 7 written back" "$(ini_value 'RGB Tintora' HexaFormat)" 7
expect_equal "TopMost 5 written back" "$(ini_value 'RGB Tintora' TopMost)" 5
expect_equal "Width 1000 written back" "$(ini_value 'RGB Sample' Width)" 1000
# Every save above succeeded: nothing is reported as lost.
[ -s "$work/stderr" ] && fail "the editor wrote to standard error"

echo "--- a settings file too large to be one: defaults, one line, the file left alone"
truncate -s 64G "$prog/HUELOFT.INI"
launch
keys alt+r
expect_clipboard "defaults beside a 64 GB file" "RGB(0, 0, 0)"
keys alt+x
wait_exit
expect_equal "64 GB file kept" "$(stat -c %s "$prog/HUELOFT.INI")" 68719476736
expect_equal "one line naming it" "$(grep -c 'HUELOFT.INI: it is too large for a settings file (68719476736 bytes' "$work/stderr")" 1
rm -f "$prog/HUELOFT.INI"

echo "--- swatchy.dll only from the program's folder, never the current folder or PATH"
# The folder's name is not ASCII: the line must read the same in the box (a system text and a
# path, both in the ANSI code page, Wine's 1252 here); alpha, not in it, shows as '?'.
planted="$winbin/planted/swatchy.dll"
[ -f "$planted" ] || fail "$planted is missing: run scripts/build-windows.sh"
lone="$work/lone-été-α"
mkdir -p "$lone" "$work/cwd" "$work/onpath"
cp "$winbin/hueloft.exe" "$lone/"
cp "$planted" "$work/cwd/"
cp "$planted" "$work/onpath/"
: >"$work/stderr"
: >"$work/boxes"
export WINEPATH="Z:$(echo "$work/onpath" | tr / '\\')"
cd "$work/cwd"
launch "$lone/hueloft.exe"
keys alt+x
wait_exit
cd "$work"
unset WINEPATH
for folder in cwd onpath; do
    [ -e "$work/$folder/swatchy.dll.loaded" ] && fail "the swatchy.dll in $folder was loaded"
done
expect_equal "missing swatchy said once" "$(grep -c 'cannot load swatchy: swatchy.dll is not in' "$work/stderr")" 1
# Shown once too, in a box owned by the window, in the same words.
expect_equal "missing swatchy shown" "$(cat "$work/boxes")" \
    "$(grep -a 'cannot load swatchy' "$work/stderr" | tr -d '\r' | iconv -f WINDOWS-1252 -t UTF-8)"
grep -q 'lone-été-?, the program' "$work/boxes" || fail "the folder's name in the box: $(cat "$work/boxes")"

echo "--- a program folder longer than MAX_PATH: its short name, and no other path"
long="$work/$(printf 'a%.0s' $(seq 100))/$(printf 'b%.0s' $(seq 100))/$(printf 'c%.0s' $(seq 80))"
mkdir -p "$long"
cp "$prog/hueloft.exe" "$prog/swatchy.dll" "$long/"
printf '[Custom Colors]\r\nRGB_Color_3=4660\r\n' >"$long/HUELOFT.INI"
touch "$work/before-long"
: >"$work/stderr"
# A write to a mangled name lands in the current folder.
cd "$work"
launch "$long/hueloft.exe"
keys Right alt+x
wait_exit
[ -s "$work/stderr" ] && fail "standard error: $(cat "$work/stderr")"
expect_equal "saved in the long folder" "$(ini_value 'RGB Color' Red "$long/HUELOFT.INI")" 1
expect_equal "custom colours kept" "$(ini_value 'Custom Colors' RGB_Color_3 "$long/HUELOFT.INI")" 4660
written=$({
    find "$work" -newer "$work/before-long" -type f ! -path "$long/HUELOFT.INI" ! -name stderr
    find "$WINEPREFIX/drive_c" -newer "$work/before-long" -type f -iname '*.ini'
})
[ -z "$written" ] || fail "written elsewhere: $written"

echo "--- a 1 MB settings file of the user's own: two copies exiting together, kills during the exit"
# The user's 20,000 lines first, then every key the exit writes, stored as it writes them (the
# window goes where Left and Top say and writes them back). The first copy changes Red, the
# second the notation: each exit writes only what its copy changed, and both changes stay.
big="$work/big"
mkdir -p "$big"
cp "$prog/hueloft.exe" "$prog/swatchy.dll" "$big/"
{
    printf '[My notes]\r\n'
    seq -f 'note%05g=a line of the user'"'"'s own, which no exit may touch' 20000 | sed 's/$/\r/'
    printf '[RGB Tintora]\r\nTop=1500\r\nLeft=1500\r\nTopMost=0\r\nHexaFormat=0\r\n'
    printf '[RGB Sample]\r\nWidth=32\r\nHeight=32\r\n[RGB Color]\r\nRed=0\r\nGreen=0\r\nBlue=0\r\n'
    printf '[Custom Colors]\r\n'
    seq -f 'RGB_Color_%g=0' 0 15 | sed 's/$/\r/'
} >"$work/old.ini"
sed "s/^Red=0\r\$/Red=1\r/" "$work/old.ini" >"$work/new1.ini"
sed "s/^HexaFormat=0\r\$/HexaFormat=2\r/" "$work/new1.ini" >"$work/both.ini"
echo "settings file: $(wc -c <"$work/old.ini") bytes"
# What copy $1 changes (1: red 1; 2: the Basic notation).
change() {
    [ "$1" = 1 ] && keys Right || keys alt+b
}
# The file ($1: when) is one of the files named after $1, byte for byte.
whole() {
    what=$1
    shift
    for expected in "$@"; do
        cmp -s "$big/HUELOFT.INI" "$expected" && { echo "ok: $what: $(basename "$expected" .ini)"; return 0; }
    done
    prog="$work/none" fail "$what: the file is torn ($(wc -c <"$big/HUELOFT.INI") bytes, $(grep -c '^note' "$big/HUELOFT.INI") of 20000 notes, $(grep -a -E '^(Red|HexaFormat)=' "$big/HUELOFT.INI" | tr -d '\r' | tr '\n' ' '))"
}
: >"$work/stderr"
for round in 1 2 3; do
    cp "$work/old.ini" "$big/HUELOFT.INI"
    launch "$big/hueloft.exe"
    first=$pid firstwin=$win
    change 1
    launch "$big/hueloft.exe"
    second=$pid
    # Opened a step aside from the first; its exit writes back the stored place all the same.
    eval "$(xdotool getwindowgeometry --shell "$firstwin" | sed 's/^/first_/')"
    eval "$(xdotool getwindowgeometry --shell "$win")"
    expect_equal "the second copy a step down and right" "$((X - first_X)),$((Y - first_Y))" "30,30"
    change 2
    # Alt+X in one window, then in the other, in one xdotool command: the second exit begins
    # while the first still writes (an exit with this file takes most of a second).
    xdotool windowactivate --sync "$firstwin" key --clearmodifiers alt+x \
        windowactivate --sync "$win" key --clearmodifiers alt+x
    pid=$first
    wait_exit
    pid=$second
    wait_exit
    whole "two exits together, round $round" "$work/both.ini"
    expect_equal "beside the file, round $round" "$(ls "$big" | tr '\n' ' ')" "HUELOFT.INI hueloft.exe swatchy.dll "
done
[ -s "$work/stderr" ] && fail "the editors wrote to standard error"
# One whole exit, timed from Alt+X; then the process killed (at once, the whole of it) at 12
# moments spread over that time and a little beyond: the old file or the whole new one every
# time. Copies of a killed save are removed by the next save.
cp "$work/old.ini" "$big/HUELOFT.INI"
launch "$big/hueloft.exe"
change 1
start=$(date +%s%N)
xdotool key --clearmodifiers alt+x
while kill -0 "$pid" 2>/dev/null; do sleep 0.01; done
took=$((($(date +%s%N) - start) / 1000000))
wait_exit
whole "an exit of $took ms" "$work/new1.ini"
for step in 0 1 2 3 4 5 6 7 8 9 10 11; do
    delay=$((took * step / 10))
    cp "$work/old.ini" "$big/HUELOFT.INI"
    launch "$big/hueloft.exe"
    change 1
    xdotool key --clearmodifiers alt+x
    sleep "$(echo "$delay" | awk '{ print $1 / 1000 }')"
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
    "$wineserver" -w
    whole "killed $delay ms after Alt+X" "$work/old.ini" "$work/new1.ini"
done
launch "$big/hueloft.exe"
keys alt+x
wait_exit
expect_equal "beside the file after the next exit" "$(ls "$big" | tr '\n' ' ')" "HUELOFT.INI hueloft.exe swatchy.dll "
# A second name for the file (a hard link): a replacement would part the two, so the new text
# is written in place, through both names.
cp "$work/old.ini" "$big/HUELOFT.INI"
ln "$big/HUELOFT.INI" "$work/linked.ini"
launch "$big/hueloft.exe"
change 1
keys alt+x
wait_exit
whole "a file of two names" "$work/new1.ini"
cmp -s "$work/linked.ini" "$work/new1.ini" || fail "the file's other name keeps the old text"
expect_equal "names of the file" "$(stat -c %h "$big/HUELOFT.INI")" 2
expect_equal "beside it after a write in place" "$(ls "$big" | tr '\n' ' ')" "HUELOFT.INI hueloft.exe swatchy.dll "
# Modes a new file would not get (Wine reads a given access list back as 0775, and shows no
# group bits): kept.
rm "$work/linked.ini"
for mode in 640 600; do
    cp "$work/old.ini" "$big/HUELOFT.INI"
    chmod "$mode" "$big/HUELOFT.INI"
    launch "$big/hueloft.exe"
    change 1
    keys alt+x
    wait_exit
    whole "a file of mode $mode" "$work/new1.ini"
    expect_equal "its mode" "$(stat -c %a "$big/HUELOFT.INI")" "$mode"
done
[ -s "$work/stderr" ] && fail "the editors wrote to standard error"

echo "--- a backup beside the file: only a killed write's own puts the old text back"
# The backup claims a write of longer.ini over payload.ini, which left the file (kept.ini) its
# prefix. $1: the first format or the second; $2: its time, in seconds after the file's last
# write; $3: its owner; $4: the file the start leaves.
printf '[RGB Color]\r\nRed=10\r\nGreen=20\r\nBlue=30\r\n' >"$work/kept.ini"
printf '[RGB Color]\r\nRed=255\r\nGreen=0\r\nBlue=0\r\n' >"$work/payload.ini"
{ cat "$work/kept.ini"; printf 'Extra=1\r\n'; } >"$work/longer.ini"
serial=5a000000 # Wine's volume serial of Z: (its letter), whether or not it can read the device
backup_row() {
    cp "$work/kept.ini" "$prog/HUELOFT.INI"
    set -- "$@" "$(stat -c %i "$prog/HUELOFT.INI")" "$(wc -c <"$work/payload.ini")"
    started=$(($(date -r "$prog/HUELOFT.INI" +%s%N) / 100 + 116444736000000000 + $2 * 10000000))
    if [ "$1" = first ]; then
        printf 'hueloft backup %s %x %x 1 0 %x\r\n' "$serial" $(($5 >> 32)) $(($5 & 0xffffffff)) "$6"
        cat "$work/payload.ini"
    else
        printf 'hueloft backup 2 %s %x %x %x %x %016x\r\n' "$serial" $(($5 >> 32)) \
            $(($5 & 0xffffffff)) "$6" "$(wc -c <"$work/longer.ini")" "$started"
        cat "$work/payload.ini" "$work/longer.ini"
    fi >"$prog/HUELOFT.~sv"
    chown "$3" "$prog/HUELOFT.~sv"
    # Another user's can be there only in a folder others may write (Wine shows 1777 so): it is
    # not this program's, and stays.
    [ "$3" = "$me" ] || chmod 1777 "$prog"
    launch
    cmp -s "$prog/HUELOFT.INI" "$work/$4.ini" || fail "backup $1 $2 $3: the file holds $(tr -d '\r' <"$prog/HUELOFT.INI" | tr '\n' ' ')"
    if [ "$3" = "$me" ]; then
        [ -e "$prog/HUELOFT.~sv" ] && fail "backup $1 $2 $3: still beside the file"
    else
        [ -e "$prog/HUELOFT.~sv" ] || fail "backup $1 $2 $3: another user's entry removed"
        rm "$prog/HUELOFT.~sv"
        chmod 755 "$prog"
    fi
    keys alt+x
    wait_exit
    echo "ok: backup $1 $2 $3: $4"
}
# The backups are this user's own; only root can plant another user's.
me=$(id -un)
backup_row first 0 "$me" kept    # planted; its header names the file
# This user's own: believed whatever the file's time says (FAT keeps times to two seconds).
backup_row second 60 "$me" payload
if [ "$(id -u)" -eq 0 ]; then
    backup_row second 0 nobody kept # another user's
else
    echo "not run: a backup of another user's (only root can give a file to another user)"
fi
backup_row second -5 "$me" payload
backup_row second 0 "$me" payload

echo "--- the file held without sharing by another program for a moment at start"
# Not taken for a file this user cannot write: waited for, as the exit waits for its lock.
fresh_folder
printf '[RGB Color]\r\nRed=20\r\n' >"$prog/HUELOFT.INI"
"$wine" "$winbin/hold_file.exe" "Z:$(echo "$prog/HUELOFT.INI" | tr / '\\')" 2000 >"$work/held" &
holder=$!
for _ in $(seq 100); do grep -q held "$work/held" && break; sleep 0.1; done
grep -q held "$work/held" || fail "hold_file did not hold the file"
: >"$work/stderr"
launch
keys Right alt+x
wait_exit
wait "$holder" || fail "hold_file failed"
expect_equal "saved beside the program after the wait" "$(ini_value 'RGB Color' Red)" 21
[ -s "$work/stderr" ] && fail "the file held at start: $(cat "$work/stderr")"

echo "--- the names the save makes beside the file, planted first as a link, a file, a folder"
# The save takes names of its own, or waits out the lock's 10 s; the file outside that the links
# name is untouched. No link or folder at such a name is opened, followed or removed, nor any
# entry of another user's; a file of this user's own there is a killed save's and is removed
# (at the backup's name it is read as a backup first: the rows above).
mkdir -p "$work/outside"
copies=$(for n in $(seq 0 254); do printf 'HUELOFT.~%02x ' "$n"; done)
side_row() { # $1: link, file or folder; $2: the folder's mode; $3: the owner; the names after
    kind=$1 mode=$2 owner=$3
    shift 3
    fresh_folder
    chmod "$mode" "$prog"
    printf '[RGB Color]\r\nRed=10\r\n' >"$prog/HUELOFT.INI"
    printf 'the user'"'"'s own\r\n' >"$work/outside/victim"
    for name in "$@"; do
        case $kind in
            link) ln -s "$work/outside/victim" "$prog/$name" ;;
            file) printf 'planted\r\n' >"$prog/$name" ;;
            folder) mkdir "$prog/$name" && : >"$prog/$name/inside" ;;
        esac
        chown -h "$owner" "$prog/$name"
    done
    what="$1 planted as $owner's $kind in a $mode folder"
    # Files of this user's own are not in the picture: they may go.
    snapshot() {
        if [ "$owner" = "$me" ]; then
            find "$prog" "$work/outside" -mindepth 1 ! -type f -printf '%p %y %l %T@\n'
            find "$work/outside" -type f -printf '%p %s %T@\n'
        else
            find "$prog" "$work/outside" -mindepth 1 ! -name HUELOFT.INI -printf '%p %y %l %s %T@\n'
        fi | sort
    }
    snapshot >"$work/before.txt"
    : >"$work/stderr"
    launch
    keys Right alt+x
    wait_exit
    expect_equal "saved beside $what" "$(ini_value 'RGB Color' Red)" 11
    snapshot | cmp -s - "$work/before.txt" || fail "$what: $(snapshot | diff "$work/before.txt" - | tail -n 4)"
    [ -s "$work/stderr" ] && fail "$what: $(cat "$work/stderr")"
    echo "ok: $what: nothing else touched"
}
for kind in link file folder; do
    side_row "$kind" 755 "$me" HUELOFT.~lk
    # shellcheck disable=SC2086
    side_row "$kind" 755 "$me" $copies
done
side_row link 755 "$me" HUELOFT.~sv
side_row folder 755 "$me" HUELOFT.~sv
if [ "$(id -u)" -eq 0 ]; then
    for name in HUELOFT.~lk HUELOFT.~sv; do
        side_row file 1777 nobody "$name"
    done
    # Every copy name taken by another user: the copy goes to the temporary folder.
    # shellcheck disable=SC2086
    side_row file 1777 nobody $copies HUELOFT.~ff
    side_row link 1777 nobody HUELOFT.~sv
else
    echo "not run: another user's entries at those names (only root makes them)"
fi

if [ "$(id -u)" -eq 0 ]; then
    echo "--- a full drive during the exit: the old file kept, and said"
    full="$work/full"
    mkdir "$full"
    mount -t tmpfs -o size=512k tmpfs "$full"
    mounted=$full
    cp "$prog/hueloft.exe" "$prog/swatchy.dll" "$full/"
    # 3,900 bytes of the user's own and no custom colours: the exit's text needs a second page.
    { printf '[My notes]\r\n'; seq -f 'note%03g=a line of the user'"'"'s own' 0 139 | sed 's/$/\r/'; } | head -c 3900 >"$work/full.ini"
    for room in 4096 0; do
        cp "$work/full.ini" "$full/HUELOFT.INI"
        dd if=/dev/zero of="$full/filler" bs=4096 2>/dev/null || true
        [ "$room" -eq 0 ] || truncate -s "-$room" "$full/filler"
        : >"$work/stderr"
        : >"$work/boxes"
        launch "$full/hueloft.exe"
        keys Right alt+x
        wait_exit
        rm "$full/filler"
        cmp -s "$full/HUELOFT.INI" "$work/full.ini" || fail "a full drive ($room bytes free): the file is now $(wc -c <"$full/HUELOFT.INI") bytes"
        expect_equal "beside it ($room bytes free)" "$(ls "$full" | tr '\n' ' ')" "HUELOFT.INI hueloft.exe swatchy.dll "
        grep -Eq '^hueloft: settings and custom colours not saved: .*HUELOFT.INI: (Disk full|There is not enough space on the disk)' "$work/stderr" &&
            [ "$(grep -c . "$work/stderr")" = 1 ] || fail "a full drive ($room bytes free): standard error: $(cat "$work/stderr")"
        expect_equal "the box at exit ($room bytes free)" "$(cat "$work/boxes")" "$(tr -d '\r' <"$work/stderr")"
        echo "ok: a full drive with $room bytes free: the file kept, one line, one box"
    done
    umount "$full"
    mounted=""
else
    echo "not run: a full drive (only root mounts a small file system)"
fi

if [ "$(id -u)" -eq 0 ]; then
    echo "--- kinds of folder, and what is at HUELOFT.INI in them"
    # Wine shows a folder of mode 0777 or 1777 (the sticky bit is not shown) as one that others
    # can create names in: shared; one of mode 0755 as private. nobody's entries show as
    # ANONYMOUS LOGON's. Wine does not say who made a link: in a shared folder none is used.
    appdata_ini="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/hueloft/HUELOFT.INI"
    mkdir -p "$work/elsewhere"
    chmod 700 "$work/elsewhere"
    place_row() { # $1: the folder's mode; $2: the entry; $3: used or refused
        fresh_folder
        chmod "$1" "$prog"
        file="$prog/HUELOFT.INI"
        reached=$file
        rm -f "$work/elsewhere/"*
        # This user's link names a file that a copy could replace; nobody's, a private one.
        printf '[RGB Color]\r\nRed=10\r\n' >"$work/elsewhere/target.ini"
        [ "$2" = "own link" ] || chmod 600 "$work/elsewhere/target.ini"
        case $2 in
            "own file") printf '[RGB Color]\r\nRed=10\r\n' >"$file" ;;
            "nobody's file") printf '[RGB Color]\r\nRed=10\r\n' >"$file" && chown nobody "$file" ;;
            "file of two names") printf '[RGB Color]\r\nRed=10\r\n' >"$file" && ln "$file" "$work/elsewhere/second" ;;
            "own link") ln -s "$work/elsewhere/target.ini" "$file" && reached="$work/elsewhere/target.ini" ;;
            "nobody's link") ln -s "$work/elsewhere/target.ini" "$file" && chown -h nobody "$file" &&
                reached="$work/elsewhere/target.ini" ;;
        esac
        cp "$reached" "$work/entry.ini"
        rm -f "$appdata_ini"
        : >"$work/stderr"
        launch
        keys Right alt+x
        wait_exit
        if [ "$3" = used ]; then
            expect_equal "$1 folder, $2: saved" "$(ini_value 'RGB Color' Red "$reached")" 11
            [ -s "$work/stderr" ] && fail "$1 folder, $2: $(cat "$work/stderr")"
            [ -f "$appdata_ini" ] && fail "$1 folder, $2: settings also in %APPDATA%"
        else
            cmp -s "$reached" "$work/entry.ini" || fail "$1 folder, $2: written"
            expect_equal "$1 folder, $2: settings in %APPDATA%, from defaults" "$(ini_value 'RGB Color' Red "$appdata_ini")" 1
            grep -q 'HUELOFT.INI cannot be written by this user; settings kept in C:.*AppData.Roaming.hueloft.HUELOFT.INI' \
                "$work/stderr" && [ "$(grep -c . "$work/stderr")" = 1 ] || fail "$1 folder, $2: standard error: $(cat "$work/stderr")"
        fi
        case $2 in *link) [ -L "$file" ] || fail "$1 folder, $2: no longer a link" ;; esac
        expect_equal "$1 folder, $2: beside it" "$(ls "$prog" | tr '\n' ' ')" "HUELOFT.INI hueloft.exe swatchy.dll "
        echo "ok: $1 folder, $2: $3"
    }
    for mode in 755 777 1777; do
        place_row "$mode" "own file" used
    done
    place_row 755 "nobody's file" used
    place_row 777 "nobody's file" refused
    place_row 1777 "nobody's file" refused
    place_row 755 "file of two names" used
    place_row 1777 "file of two names" refused
    place_row 755 "own link" used
    place_row 1777 "own link" refused
    place_row 1777 "nobody's link" refused
    # Another user's swatchy.dll beside the program in a shared folder is not loaded.
    fresh_folder
    chmod 1777 "$prog"
    chown nobody "$prog/swatchy.dll"
    : >"$work/stderr"
    launch
    keys alt+x
    wait_exit
    grep -q '^hueloft: cannot load swatchy: .*swatchy.dll: it is a file that another user made in a folder others can write' "$work/stderr" ||
        fail "nobody's swatchy.dll: standard error: $(cat "$work/stderr")"
    echo "ok: nobody's swatchy.dll in a shared folder is not loaded"
    rm -f "$appdata_ini"
else
    echo "not run: kinds of folder with another user's entries (only root makes them)"
fi

# Wine lets root write anything: as root, a user who cannot write the file beside the program
# is nobody; any other user is kept out of the file and its folder by their modes. Either way
# with a Wine prefix of its own.
echo "--- a HUELOFT.INI this user cannot write: the per-user file, said once"
chmod 755 "$work"
mkdir "$work/nobody" "$work/shared"
cp "$prog/hueloft.exe" "$prog/swatchy.dll" "$work/shared/"
printf '[RGB Color]\r\nRed=77\r\n' >"$work/shared/HUELOFT.INI"
cp "$work/shared/HUELOFT.INI" "$work/older.ini"
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$work/nobody"
    as_nobody() {
        runuser -u nobody -- env HOME="$work/nobody" WINEPREFIX="$work/nobody/prefix" "$@"
    }
else
    chmod a-w "$work/shared/HUELOFT.INI" "$work/shared"
    as_nobody() {
        env HOME="$work/nobody" WINEPREFIX="$work/nobody/prefix" "$@"
    }
fi
DISPLAY= as_nobody "$wine" wineboot -i >/dev/null 2>&1
as_nobody "$wineserver" -w
as_nobody "$wine" "$work/shared/hueloft.exe" 2>"$work/nobody.stderr" &
pid=$!
win=$(find_window '^RGB Tintora$') || fail "the window did not appear for nobody"
sleep 0.5
: >"$work/boxes"
read_boxes as_nobody
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus --sync "$win" || true
sleep 0.5
keys alt+x
wait_exit as_nobody
as_nobody "$wineserver" -k 2>/dev/null || true
chmod u+w "$work/shared" # for the clean-up
cmp -s "$work/shared/HUELOFT.INI" "$work/older.ini" || fail "the unwritable file was written"
ini=$(find "$work/nobody/prefix/drive_c/users" -path '*/AppData/Roaming/hueloft/HUELOFT.INI')
[ -n "$ini" ] || fail "no settings in nobody's AppData"
if [ "$(id -u)" -eq 0 ]; then
    # Wine shows root to nobody as another user (ANONYMOUS LOGON) who may create names in the
    # folder: root's file there is not nobody's to use, nor to read.
    expect_equal "root's file beside the program, not read by nobody" "$(ini_value 'RGB Color' Red "$ini")" 0
else
    expect_equal "taken over from the file beside the program" "$(ini_value 'RGB Color' Red "$ini")" 77
fi
grep -q 'HUELOFT.INI cannot be written by this user; settings kept in C:.*AppData.Roaming.hueloft.HUELOFT.INI' \
    "$work/nobody.stderr" || fail "standard error: $(cat "$work/nobody.stderr")"
if [ "$(id -u)" -eq 0 ]; then
    # Nor is root's swatchy.dll there loaded: one line more.
    grep -q 'cannot load swatchy: .*swatchy.dll: it is a file that another user made in a folder others can write' \
        "$work/nobody.stderr" || fail "standard error: $(cat "$work/nobody.stderr")"
    expect_equal "lines on standard error" "$(grep -c . "$work/nobody.stderr")" 2
else
    expect_equal "lines on standard error" "$(grep -c . "$work/nobody.stderr")" 1
fi
expect_equal "nobody's boxes, in the words of standard error" "$(cat "$work/boxes")" "$(grep . "$work/nobody.stderr" | tr -d '\r')"

# A file this user may write, in a folder of the user's own that takes no new name: written in
# place, the copy in the temporary folder.
mkdir "$work/noroom"
cp "$prog/hueloft.exe" "$prog/swatchy.dll" "$work/noroom/"
printf '[RGB Color]\r\nRed=30\r\n' >"$work/noroom/HUELOFT.INI"
[ "$(id -u)" -eq 0 ] && chown -R nobody "$work/noroom"
chmod 555 "$work/noroom"
as_nobody "$wine" "$work/noroom/hueloft.exe" 2>"$work/noroom.stderr" &
pid=$!
win=$(find_window '^RGB Tintora$') || fail "the window did not appear in a folder that takes no new name"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus --sync "$win" || true
sleep 0.5
keys Right alt+x
wait_exit
as_nobody "$wineserver" -k 2>/dev/null || true
chmod 755 "$work/noroom"
expect_equal "saved in place in a folder that takes no new name" "$(ini_value 'RGB Color' Red "$work/noroom/HUELOFT.INI")" 31
[ -s "$work/noroom.stderr" ] && fail "standard error: $(cat "$work/noroom.stderr")"
echo "PASS"
