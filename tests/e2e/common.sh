# SPDX-License-Identifier: MIT
# Steps shared by the Linux (lib.sh) and the Windows (wine.sh) end-to-end tests: the window
# manager, failing with what the program left, and reading what it left from outside. Sourced
# by those two after they have set $work and $prog.

# Ends the test with one line of reason, and what the program left: its settings file and
# what it said on standard error.
fail() {
    printf 'FAIL: %s\n' "$*" >&2 # printf: a Windows path keeps its backslashes
    if [ -f "$prog/HUELOFT.INI" ]; then
        echo "--- HUELOFT.INI:" >&2
        cat "$prog/HUELOFT.INI" >&2
    fi
    if [ -s "$work/stderr" ]; then
        echo "--- stderr:" >&2
        cat "$work/stderr" >&2
    fi
    exit 1
}

# Starts openbox on the test's X server; $wm holds its process id.
start_window_manager() {
    # openbox takes the _NET_SUPPORTING_WM_CHECK window when it is ready; on a busy machine
    # that can take seconds, and one that died at start is started once more.
    for attempt in 1 2; do
        openbox --sm-disable >/dev/null 2>"$work/openbox.log" &
        wm=$!
        for _ in $(seq 200); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
            kill -0 "$wm" 2>/dev/null || break
            sleep 0.1
        done
        kill "$wm" 2>/dev/null || true
        wait "$wm" 2>/dev/null || true
        echo "openbox, attempt $attempt, did not come up:" >&2
        cat "$work/openbox.log" >&2
    done
    wm=""
    fail "window manager did not start"
}

clipboard_text() {
    xclip -selection clipboard -o 2>/dev/null
}

ini_value() { # section key [file]; Windows line ends or not
    awk -v s="[$1]" -v k="$2" '
        { sub(/\r$/, "") }
        /^\[/ { insec = ($0 == s); next }
        insec && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }
    ' "${3:-$prog/HUELOFT.INI}"
}

expect_equal() { # what actual expected
    [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
    echo "ok: $1 = $3"
}

# The clipboard as another program reads it, waited for: on a busy machine a copy just made
# can take a moment to reach the selection. Fails when it is not $2 within 10 s.
expect_clipboard() { # what expected
    for _ in $(seq 50); do
        [ "$(clipboard_text)" = "$2" ] && break
        sleep 0.2
    done
    expect_equal "$1" "$(clipboard_text)" "$2"
}

offering=""
# Puts $1 on the clipboard, served by an xclip of ours until the editor copies or the next offer.
offer() {
    [ -n "$offering" ] && kill "$offering" 2>/dev/null || true
    printf '%s' "$1" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
    offering=$!
    expect_clipboard "offered" "$1"
}

# Rows "text|keys after the offer|the macro then" (-: as before) on standard input: each text
# offered, pasted by the keys, and the macro copied. The focus starts on the red scroll bar.
check_pastes() {
    keys alt+r
    while IFS='|' read -r text how macro; do
        [ "$macro" = - ] && macro=$(clipboard_text)
        offer "$text"
        # shellcheck disable=SC2086
        keys $how
        keys alt+r
        expect_clipboard "paste '$text' by $how" "$macro"
    done
}

# Every copy of two colours pasted back, and the lines the program given as arguments prints
# for --convert are the copies, in order.
check_round_trips() {
    for colour in '#FF8040' '#010203'; do
        # Once in a fresh clone's run, beside other tests, Wine's process printed nothing here
        # (never seen since in 80 tries, quiet or beside the open editor): what a first try
        # gave is shown, and a second must give the six lines.
        for try in 1 2; do
            converted=$("$@" --convert "$colour" 2>"$work/convert.err" | tr -d '\r') || true
            [ "$(printf '%s\n' "$converted" | wc -l)" -eq 6 ] && break
            echo "note: --convert $colour, try $try: '$converted', stderr '$(cat "$work/convert.err")'"
        done
        expect_equal "--convert $colour: lines" "$(printf '%s\n' "$converted" | wc -l)" 6
        offer "$colour"
        keys ctrl+v
        line=0
        for how in alt+r "alt+c alt+d" "alt+p alt+d" "alt+b alt+d" "alt+a alt+d" alt+m; do
            line=$((line + 1))
            copied=$(printf '%s\n' "$converted" | sed -n "${line}p")
            # shellcheck disable=SC2086
            keys $how
            expect_clipboard "$how after pasting $colour, as --convert gives it" "$copied"
            offer "9 9 9"
            keys ctrl+v
            offer "$copied"
            keys ctrl+v
            keys alt+c alt+d
            expect_clipboard "'$copied' pasted back" \
                "$(printf '0x%s' "$(printf '%s' "$colour" | sed 's/#\(..\)\(..\)\(..\)/00\3\2\1/')")"
        done
    done
}
