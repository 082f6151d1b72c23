# SPDX-License-Identifier: MIT
# Steps shared by the Linux (lib.sh) and the Windows (wine.sh) end-to-end tests: reading what
# the program left behind, from outside. Sourced by those two after they have set $prog.

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
