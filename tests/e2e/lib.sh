# SPDX-License-Identifier: MIT
# Shared steps of the end-to-end tests: each runs the real program from a copy of the build's
# program folder, under its own X server with a window manager, with an empty HOME, and drives
# it from outside with xdotool. Sourced by the test scripts after they have re-run themselves
# under tests/e2e/xserver.sh.

set -eu

bindir=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-e2e.XXXXXX")
prog="$work/prog"
mkdir -p "$prog" "$work/home"
cp "$bindir/hueloft" "$bindir/libswatchy.so" "$bindir/libhueloft-profile.so" "$prog/"
mkdir -p -m 700 "$work/runtime"
# A runtime folder of its own, or Qt warns on standard error that it has none.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR
pid=""
wm=""

cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Starts the editor (with the arguments given) and waits until its window is mapped; $win
# holds its id.
launch() {
    # A copy already open is not the one started here.
    shown=$(xdotool search --onlyvisible --name '^RGB Tintora$' 2>/dev/null || true)
    "$prog/hueloft" "$@" 2>"$work/stderr" &
    pid=$!
    win=""
    # Up to 30 s: a loaded machine can take that long to start a Qt program.
    for _ in $(seq 300); do
        win=$(xdotool search --onlyvisible --name '^RGB Tintora$' 2>/dev/null |
            grep -vxF -e "${shown:-none}" | head -n 1 || true)
        [ -n "$win" ] && break
        kill -0 "$pid" 2>/dev/null || fail "the editor ended before its window appeared"
        sleep 0.1
    done
    [ -n "$win" ] || fail "the window did not appear"
    xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus --sync "$win"
    sleep 0.3
}

keys() {
    xdotool key --clearmodifiers --delay 60 "$@"
    sleep 0.3
}

type_text() {
    xdotool type --delay 60 "$1"
    sleep 0.2
}

# The formats on the clipboard, one a line, and the clipboard as PNG. The Wayland test gives
# its own.
clipboard_types() {
    xclip -selection clipboard -t TARGETS -o 2>/dev/null || true
}

clipboard_png() {
    xclip -selection clipboard -t image/png -o
}

# The four copy commands from the keyboard, each read back by another process: the focus starts
# on the red scroll bar, five steps to the right, green 200 typed, the Basic notation; then a
# 40 x 300 sample (held to 40 x 256) checked pixel by pixel; a text copy then replaces it.
check_copies() {
    keys Right Right Right Right Right
    keys Tab Tab Tab Tab
    type_text 200
    keys alt+r
    expect_clipboard "macro on the clipboard" "RGB(5, 200, 0)"
    keys x m t
    kill -0 "$pid" 2>/dev/null || fail "a plain x ended the editor"
    expect_equal "plain letters copy nothing" "$(clipboard_text)" "RGB(5, 200, 0)"
    keys alt+b alt+d
    expect_clipboard "Basic hexadecimal" "&H0000C805&"
    keys alt+m
    expect_clipboard "HTML colour" '"#05C800"'

    keys alt+w
    type_text 40
    keys alt+h
    type_text 300
    keys alt+s
    types=$(clipboard_types)
    echo "image types: $(echo "$types" | tr '\n' ' ')"
    echo "$types" | grep -qx 'image/png' || fail "the sample is not offered as image/png"
    clipboard_png >"$work/sample.png"
    expect_equal "sample read back" "$(python3 "$here/pnginfo.py" "$work/sample.png")" \
        "40x256 #05C800 uniform"

    keys alt+r
    types=$(clipboard_types)
    echo "text types: $(echo "$types" | tr '\n' ' ')"
    if echo "$types" | grep -q 'image/png'; then
        fail "the text copy left the image on the clipboard"
    fi
}

# Waits for the editor to end on its own; fails when it does not, when it ends with another
# status than 0 (a crash at exit, a sanitizer's finding), or when a sanitizer reported anything.
wait_exit() {
    for _ in $(seq 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            status=0
            wait "$pid" || status=$?
            pid=""
            [ "$status" -eq 0 ] || fail "the editor ended with status $status"
            ! grep -Eq 'ERROR: [A-Za-z]+Sanitizer|runtime error: ' "$work/stderr" ||
                fail "a sanitizer reported a fault"
            return 0
        fi
        sleep 0.1
    done
    fail "the editor did not exit"
}

. "$here/../e2e/common.sh" # also sourced from tests/faults
