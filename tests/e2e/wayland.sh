#!/bin/sh
# SPDX-License-Identifier: MIT
# The session once more under a real Wayland compositor: sway with its headless back-end, keys
# through a virtual keyboard (wtype), the clipboard read back by wl-paste, the window closed by
# the compositor (swaymsg kill) and by Alt+X. A Wayland client can neither learn nor choose
# where its window is, nor keep it on top: the stored position must survive, and the
# always-on-top box must say once that it cannot work here. Then the colour dialog's Pick
# Screen Color through the real desktop portal on the test's own session bus: without a
# back-end that picks, the command is disabled and says why (read through the accessibility
# bus); with our own back-end (portal_pick.py), a cancelled pick and a colour out of range
# change nothing, and a colour picked reaches the editor with OK, the custom colours untouched.
# sway refuses to run as root: as root, the test runs itself again as the user nobody.
# Usage: wayland.sh <folder of hueloft and libswatchy.so>
set -eu

portal_frontend=/usr/libexec/xdg-desktop-portal
# Debian's pyatspi and GObject bindings belong to Debian's own Python.
python=/usr/bin/python3
for tool in sway swaymsg wtype wl-paste "$python" dbus-run-session dbus-send "$portal_frontend"; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "FAIL: $tool is not installed (scripts/setup.sh test installs it)" >&2; exit 1; }
done

if [ -z "${HUELOFT_WAYLAND_INNER:-}" ]; then
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-wayland.XXXXXX")
    trap 'rm -rf "$scratch"' EXIT
    mkdir -p "$scratch/tmp" "$scratch/runtime" "$scratch/e2e" "$scratch/bin"
    chmod 755 "$scratch"
    chmod 700 "$scratch/runtime"
    # The checkout and the build may lie where the user nobody cannot read (below /root):
    # the test runs from copies of its scripts and of the program folder.
    here=$(cd "$(dirname "$0")" && pwd)
    cp "$here"/*.sh "$here"/*.py "$scratch/e2e/"
    for file in hueloft libswatchy.so libhueloft-profile.so; do
        cp "$1/$file" "$scratch/bin/"
    done
    chmod -R a+rX "$scratch/e2e" "$scratch/bin"
    runas=""
    if [ "$(id -u)" -eq 0 ]; then
        command -v setpriv >/dev/null 2>&1 || { echo "FAIL: setpriv is not installed" >&2; exit 1; }
        chown -R 65534:65534 "$scratch/tmp" "$scratch/runtime"
        runas="setpriv --reuid=65534 --regid=65534 --clear-groups --"
    fi
    status=0
    # shellcheck disable=SC2086
    env -u WAYLAND_DISPLAY -u DISPLAY -u SWAYSOCK HUELOFT_WAYLAND_INNER=1 HOME="$scratch/tmp" \
        TMPDIR="$scratch/tmp" XDG_RUNTIME_DIR="$scratch/runtime" \
        $runas dbus-run-session -- sh "$scratch/e2e/wayland.sh" "$scratch/bin" || status=$?
    exit $status
fi

. "$(dirname "$0")/lib.sh"

compositor=""
portal=""
backend=""
# Under set -e a failing command in the trap ends the shell with its status: a helper that has
# already ended (and been reaped) must not turn a passed run into a failed one.
trap 'for p in $compositor $portal $backend; do
          kill "$p" 2>/dev/null || true
          wait "$p" 2>/dev/null || true
      done
      cleanup' EXIT

start_compositor() {
    cat >"$work/sway.conf" <<'EOF'
output HEADLESS-1 resolution 1280x1024
xwayland disable
default_border normal
EOF
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway --config "$work/sway.conf" >"$work/sway.log" 2>&1 &
    compositor=$!
    for _ in $(seq 200); do
        SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n 1 || true)
        WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-* 2>/dev/null | grep -v lock | head -n 1 || true)
        export SWAYSOCK WAYLAND_DISPLAY
        if [ -n "$SWAYSOCK" ] && [ -n "$WAYLAND_DISPLAY" ] && swaymsg -t get_version >/dev/null 2>&1
        then
            return 0
        fi
        kill -0 "$compositor" 2>/dev/null || break
        sleep 0.1
    done
    cat "$work/sway.log" >&2
    fail "sway did not start"
}

# The windows in sway's tree with that title (the editor's by default): how many there are.
windows() {
    swaymsg -t get_tree | grep -c "\"name\": \"${1:-RGB Tintora}\"" || true
}

# Starts the desktop portal with the back-ends described in folder $1; waits for its name.
start_portal() {
    XDG_DESKTOP_PORTAL_DIR="$1" XDG_CURRENT_DESKTOP=sway "$portal_frontend" >"$work/portal.log" 2>&1 &
    portal=$!
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.portal.Desktop 2>/dev/null |
            grep -q true && return 0
        sleep 0.1
    done
    cat "$work/portal.log" >&2
    fail "the desktop portal did not start"
}

# Starts the test's portal back-end (tests/e2e/portal_pick.py) with the arguments after the log
# file $1; waits until it holds its name.
start_backend() {
    log=$1
    shift
    "$python" "$here/portal_pick.py" "$@" >"$log" 2>&1 &
    backend=$!
    for _ in $(seq 100); do
        grep -q ready "$log" && return 0
        sleep 0.1
    done
    cat "$log" >&2
    fail "the test's portal back-end did not start ($*)"
}

stop_portal() {
    kill "$portal" 2>/dev/null || true
    wait "$portal" 2>/dev/null || true
    portal=""
}

# Edit color (Alt+E); waits for the dialog.
open_color_dialog() {
    keys alt+e
    for _ in $(seq 100); do
        [ "$(windows 'Select Color')" -ge 1 ] && return 0
        sleep 0.1
    done
    fail "Edit color opened no colour dialog"
}

pick_button() { # enabled|disabled [tooltip prefix]
    "$python" "$here/atspi_button.py" "Pick Screen Color" "$@"
}

# Edit color, one pick (the command is enabled again once it ends), OK, then Copy RGB Macro.
pick_and_copy() {
    open_color_dialog
    pick_button enabled >/dev/null
    keys alt+p
    pick_button enabled >/dev/null
    keys Return
    keys alt+r
}

launch() {
    # Under the sanitizers: whole stacks, by which the suppressions know the clipboard's data
    # that Qt's Wayland plug-in keeps to the end (cmake/sanitizer-suppressions).
    QT_QPA_PLATFORM=wayland ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:fast_unwind_on_malloc=0}" \
        "$prog/hueloft" 2>"$work/stderr" &
    pid=$!
    for _ in $(seq 300); do
        [ "$(windows)" -ge 1 ] && break
        kill -0 "$pid" 2>/dev/null || { cat "$work/stderr" >&2; fail "the editor ended at start"; }
        sleep 0.1
    done
    [ "$(windows)" -ge 1 ] || fail "the window did not appear in sway's tree"
    sleep 0.3
}

# Each wtype makes a new virtual keyboard, whose first key sway drops unless the keyboard has
# had a moment (-s, in milliseconds) to be set up. alt+x is Alt held around x, anything else a
# key name.
keys() {
    for key in "$@"; do
        case "$key" in
            alt+*) wtype -s 300 -M alt -k "${key#alt+}" -m alt ;;
            *) wtype -s 300 -k "$key" ;;
        esac
    done
    sleep 0.3
}

type_text() {
    wtype -s 300 -d 60 "$1"
    sleep 0.3
}

clipboard_text() {
    wl-paste --no-newline 2>/dev/null || true
}

clipboard_types() {
    wl-paste --list-types 2>/dev/null || true
}

clipboard_png() {
    wl-paste --type image/png
}

on_top_lines() {
    grep -c 'does not support keeping a window always on top' "$work/stderr" || true
}

start_compositor
echo "sway $(swaymsg -t get_version | sed -n 's/.*"human_readable": "\([^"]*\)".*/\1/p'), display $WAYLAND_DISPLAY"

# A position stored in an X11 session, to be kept.
printf '[RGB Tintora]\nLeft=1890\nTop=1080\n' >"$prog/HUELOFT.INI"
launch
check_copies

keys alt+t
expect_equal "always-on-top lines after Alt+T" "$(on_top_lines)" 1
keys alt+t alt+t
expect_equal "always-on-top lines after two more" "$(on_top_lines)" 1

# Closed by the compositor, as its title-bar or a key binding closes it.
swaymsg '[title="^RGB Tintora$"] kill' >/dev/null
wait_exit
[ -s "$work/stderr" ] && { echo "stderr:"; cat "$work/stderr"; }
expect_equal "Left after swaymsg kill" "$(ini_value 'RGB Tintora' Left)" 1890
expect_equal "Top after swaymsg kill" "$(ini_value 'RGB Tintora' Top)" 1080
expect_equal "saved on top" "$(ini_value 'RGB Tintora' TopMost)" 1
expect_equal "saved green" "$(ini_value 'RGB Color' Green)" 200
expect_equal "saved notation" "$(ini_value 'RGB Tintora' HexaFormat)" 2

# The second run starts on top as stored: the line once more, once; Alt+X saves as well.
launch
expect_equal "always-on-top lines at a stored TopMost" "$(on_top_lines)" 1
keys alt+p alt+d
expect_clipboard "colour and notation restored" '$0000C805'
keys alt+x
wait_exit
expect_equal "Left after Alt+X" "$(ini_value 'RGB Tintora' Left)" 1890
expect_equal "Top after Alt+X" "$(ini_value 'RGB Tintora' Top)" 1080
expect_equal "notation after Alt+X" "$(ini_value 'RGB Tintora' HexaFormat)" 1

echo "--- Pick Screen Color through the desktop portal"
# The toolkit shows its widgets on the accessibility bus once a screen reader says it is there.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:ScreenReaderEnabled \
    variant:boolean:true >/dev/null || fail "cannot announce a screen reader on the bus"
mkdir -p "$work/no-backends" "$work/backends"
start_portal "$work/no-backends"
launch
open_color_dialog
state=$(pick_button disabled 'No desktop portal')
case "$state" in
    "disabled: No desktop portal here picks colours from the screen ("*) echo "ok: $state" ;;
    *) fail "the command without a back-end: $state" ;;
esac
keys Escape alt+x
wait_exit
stop_portal

backend_name=org.freedesktop.impl.portal.desktop.hueloft_test
start_backend "$work/backend.log" "$backend_name" cancel 2,0,0 0.5,0.2,1
# The portal offers Screenshot only beside an Access back-end (the question before a silent
# screenshot, which PickColor never asks): declared, never called.
printf '[portal]\nDBusName=%s\nInterfaces=%s;%s;\nUseIn=sway\n' "$backend_name" \
    org.freedesktop.impl.portal.Screenshot org.freedesktop.impl.portal.Access \
    >"$work/backends/hueloft-test.portal"
start_portal "$work/backends"
launch
keys alt+r
before=$(clipboard_text)
open_color_dialog
expect_equal "the command with a back-end" "$(pick_button enabled)" "enabled: "
# Each pick disables the command until the back-end's answer.
keys alt+p
pick_button enabled >/dev/null
keys alt+p
pick_button enabled >/dev/null
keys Return
keys alt+r
expect_equal "a cancelled pick and a colour out of range change nothing" "$(clipboard_text)" \
    "$before"
expect_equal "lines on a colour out of range" \
    "$(grep -c '^swatchy: no colour picked from the screen: ' "$work/stderr")" 1
pick_and_copy
expect_clipboard "the colour picked, after OK" "RGB(128, 51, 255)"
keys alt+x
wait_exit
cat "$work/backend.log"
expect_equal "picks asked of the back-end" "$(grep -c '^PickColor' "$work/backend.log")" 3
for i in $(seq 0 15); do
    expect_equal "custom colour $i untouched" "$(ini_value 'Custom Colors' "RGB_Color_$i")" 0
done
stop_portal
kill "$backend" 2>/dev/null || true

echo "--- an answer of another shape, from whatever holds the portal's name"
start_backend "$work/fake.log" --portal
launch
pick_and_copy
expect_clipboard "a malformed answer passed over, the portal's own taken" \
    "RGB(0, 255, 0)"
keys alt+x
wait_exit
kill "$backend" 2>/dev/null || true
echo "PASS"
