#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks that a commit builds reproducibly as a user builds it: clones it twice, into two
# temporary folders of different names and a while apart, runs the README's commands in each
# (the Debian package, the Windows downloads) without the compiler cache and without setting
# SOURCE_DATE_EPOCH, and compares the downloads byte for byte: hueloft.exe and swatchy.dll of
# both Windows builds, the zip, the installer and the Debian package. No file may name the
# folder it was built in. When they differ, diffoscope (if installed) shows how, else cmp and
# a listing. Prints the time it took. Exit status 0 when all are the same.
# Usage: reproducible.sh [commit]   (HEAD by default; uncommitted changes are not built)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$top" rev-parse "${1:-HEAD}")
unset SOURCE_DATE_EPOCH
export CCACHE_DISABLE=1
"$top/scripts/setup.sh" test
started=$(date +%s)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/hueloft-reproducible.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# build <folder>: the commit cloned into <folder>/src, built there; the downloads in <folder>/out.
build() {
    src="$1/src"
    mkdir -p "$1/out"
    git clone -q "$top" "$src"
    git -C "$src" checkout -q --detach "$commit"
    echo "building $commit in $src"
    (
        cd "$src"
        # The README's commands, as a user types them.
        cmake -S . -B build-release -DBUILD_TESTING=OFF
        cmake --build build-release --parallel "${HUELOFT_JOBS:-2}"
        (cd build-release && cpack -G DEB)
        scripts/package-windows.sh
    ) >"$1/build.log" 2>&1 || { tail -n 30 "$1/build.log" >&2; echo "FAIL: the build in $1 failed" >&2; exit 1; }
    for arch in x86_64 i686; do
        bin="$src/build-windows/bin"
        [ "$arch" = i686 ] && bin="$src/build-windows-i686/bin"
        cp "$bin/hueloft.exe" "$1/out/hueloft-$arch.exe"
        cp "$bin/swatchy.dll" "$1/out/swatchy-$arch.dll"
    done
    cp "$src"/build-windows/package/*.zip "$src"/build-windows/package/*.exe "$src"/build-release/*.deb "$1/out/"
    # The unpacked package and the Windows programs name no folder of the build.
    dpkg-deb -x "$src"/build-release/*.deb "$1/unpacked"
    if grep -rlF "$1" "$1/unpacked" "$1/out"/*.exe "$1/out"/*.dll >&2; then
        echo "FAIL: the files above name the folder they were built in, $1" >&2
        exit 1
    fi
}

build "$scratch/first"
# A later time of day and another folder name (and length) for the second build.
sleep 2
build "$scratch/second-build"

status=0
for file in "$scratch/first/out"/*; do
    name=$(basename "$file")
    other="$scratch/second-build/out/$name"
    if cmp -s "$file" "$other"; then
        echo "same: $name ($(wc -c <"$file") bytes)"
        continue
    fi
    status=1
    echo "DIFFERENT: $name"
    if command -v diffoscope >/dev/null 2>&1; then
        diffoscope "$file" "$other" | head -n 200 || true
    else
        cmp -l "$file" "$other" | head -n 20 || true
        case "$name" in
            *.zip) unzip -lv "$file"; unzip -lv "$other" ;;
            *.deb) dpkg-deb -c "$file"; dpkg-deb -c "$other" ;;
        esac
    fi
done
echo "took $(($(date +%s) - started)) seconds"
[ "$status" -eq 0 ] && echo "PASS: the two builds of $commit are the same" || echo "FAIL: the two builds differ"
exit "$status"
