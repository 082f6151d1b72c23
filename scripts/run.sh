#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the program (with its libraries and resources; not the
# tests), and starts the editor.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" run
HUELOFT_TARGETS=hueloft "$top/scripts/build.sh"
exec "${HUELOFT_BUILD_DIR:-$top/build}/bin/hueloft" "$@"
