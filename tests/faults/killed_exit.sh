#!/bin/sh
# SPDX-License-Identifier: MIT
# The real program killed at a random moment of its exit: Alt+X under Xvfb, then SIGKILL after
# a random delay within the time a whole exit takes (some tens of milliseconds), many times.
# Before Alt+X the session changes the colour and the notation; the exit writes what the session
# changed in one replacement of the file, so the file always holds every line it had and either
# all the changed keys old or all new, every other key as it was: nothing in between. Leftover temporary files
# are counted, not failed (tst_faults documents them).
# Usage: killed_exit.sh <folder of hueloft and libswatchy.so> [rounds]
[ -n "${HUELOFT_E2E_INNER:-}" ] || HUELOFT_E2E_INNER=1 exec sh "$(dirname "$0")/../e2e/xserver.sh" \
    "$0" "$@"
rounds="${2:-12}"
. "$(dirname "$0")/../e2e/lib.sh"

order="Top Left TopMost HexaFormat Width Height Red Green Blue"
for i in $(seq 0 15); do order="$order RGB_Color_$i"; done

# The file the program reads at start (new values) and the one on disk when it exits (old).
settings() { # red width custom-base left extra-line
    printf '; notes\r\n[RGB Tintora]\r\nTop=%s\r\nLeft=%s\r\nTopMost=%s\r\nHexaFormat=%s\r\n%s\r\n' \
        "$(($4 + 150))" "$4" "$(($1 % 7 + 2))" "$(($1 % 4))" "$5"
    printf '[RGB Sample]\r\nWidth=%s\r\nHeight=%s\r\n[RGB Color]\r\nRed=%s\r\nGreen=%s\r\nBlue=%s\r\n' \
        "$2" "$(($2 + 1))" "$1" "$(($1 + 1))" "$(($1 + 2))"
    printf '[Custom Colors]\r\n'
    for i in $(seq 0 15); do printf 'RGB_Color_%s=%s\r\n' "$i" "$(($3 + i))"; done
}

value_of() { # file key: the key's value, wherever it is (every key name is unique here)
    tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -n 1
}

foreign() { # the lines that are not keys the exit writes
    tr -d '\r' <"$1" | grep -Ev '^(Top|Left|TopMost|HexaFormat|Width|Height|Red|Green|Blue|RGB_Color_[0-9]+)='
}

start_window_manager
settings 11 44 1000 1500 "" >"$work/held"
settings 1 9 500 3000 "[Other]" >"$work/old"
foreign "$work/old" >"$work/old.foreign"

# One uninterrupted exit gives the values this run writes.
# It also tells how long the exit takes from the key press on, so that the kills spread over
# the whole of it rather than land before it starts.
cp "$work/held" "$prog/HUELOFT.INI"
launch
keys Right alt+b
before=$(date +%s%N)
xdotool key --clearmodifiers alt+x
wait "$pid" || fail "the program failed at exit: $(tail -n 30 "$work/stderr")"
pid=""
span=$((($(date +%s%N) - before) / 1000000 + 1))
[ "$span" -lt 5000 ] || fail "the exit took $span ms"
cp "$prog/HUELOFT.INI" "$work/new"
changed=""
for key in $order; do
    [ "$(value_of "$work/new" "$key")" = "$(value_of "$work/held" "$key")" ] ||
        changed="$changed $key"
done
case "$changed" in *Red*HexaFormat* | *HexaFormat*Red*) ;; *) fail "the session changed only:$changed" ;; esac
for key in $changed; do
    [ "$(value_of "$work/new" "$key")" != "$(value_of "$work/old" "$key")" ] ||
        fail "$key: the run writes what is already on disk; nothing to tell apart"
done

stray_rounds=0
for round in $(seq "$rounds"); do
    rm -f "$prog/HUELOFT.INI" "$prog"/.HUELOFT.INI.writing-*
    cp "$work/held" "$prog/HUELOFT.INI"
    launch
    keys Right alt+b
    cp "$work/old" "$prog/HUELOFT.INI"
    delay=$(shuf -i 0-"$span" -n 1)
    xdotool key --clearmodifiers alt+x
    sleep "$(awk -v ms="$delay" 'BEGIN { printf "%.3f", ms / 1000 }')"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""

    foreign "$prog/HUELOFT.INI" | cmp -s - "$work/old.foreign" ||
        fail "round $round (+$delay ms): a line the program does not own changed"
    written=0
    count=0
    for key in $order; do
        now=$(value_of "$prog/HUELOFT.INI" "$key")
        case " $changed " in
        *" $key "*)
            count=$((count + 1))
            if [ "$now" = "$(value_of "$work/new" "$key")" ]; then
                written=$((written + 1))
                continue
            fi
            ;;
        esac
        [ "$now" = "$(value_of "$work/old" "$key")" ] ||
            fail "round $round (+$delay ms): $key holds '$now', neither old nor new"
    done
    [ "$written" -eq 0 ] || [ "$written" -eq "$count" ] ||
        fail "round $round (+$delay ms): $written of $count keys written, the rest old"
    ls -A "$prog" | grep -q '^\.HUELOFT\.INI\.writing-' && stray_rounds=$((stray_rounds + 1))
    echo "ok: round $round, killed $delay ms after Alt+X, $written of $count changed keys written"
done
echo "PASS: $rounds rounds within $span ms of Alt+X, $stray_rounds left a temporary file"
