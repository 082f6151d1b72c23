#!/bin/sh
# SPDX-License-Identifier: MIT
# The AppStream metainfo passes appstreamcli validate (offline), describes release <version>,
# and the screenshot it points to is in the tree.
# Usage: packaging_metainfo.sh <metainfo file> <version> <source folder>
. "$(dirname "$0")/packaging_common.sh"
need appstreamcli
metainfo=$1
version=$2
source=$3
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejected $metainfo"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" ||
    fail "$metainfo has no release $version"
grep -q '<content_rating type="oars-1.1"' "$metainfo" || fail "$metainfo has no OARS rating"
screenshot="$source/docs/screenshot.png"
[ -f "$screenshot" ] || fail "the screenshot $screenshot that the metainfo shows does not exist"
if command -v file >/dev/null 2>&1; then
    file -b "$screenshot" | grep -q '^PNG image data' || fail "$screenshot is not a PNG image"
fi
echo "metainfo ok"
