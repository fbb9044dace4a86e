#!/usr/bin/env bash
# The end-to-end prefix: `fresh DIR [DRIVE]` stops and deletes it (wine-run makes it anew on
# first use); with DRIVE it makes the prefix at once and maps T: to DRIVE, an empty directory,
# as a second drive. `stop DIR` ends its Wine processes.
set -u
what=$1 prefix=$2 drive=${3:-}
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
if [ "$what" = fresh ]; then
    rm -rf "$prefix" "$prefix.lock"
    if [ -n "$drive" ]; then
        rm -rf "$drive" && mkdir -p "$drive" || exit 1
        WINEPREFIX=$prefix WINEARCH=${TW_WINEARCH:-win32} "$(dirname "$0")/../../scripts/wine-prefix" || exit 1
        ln -s "$drive" "$prefix/dosdevices/t:" || exit 1
    fi
fi
exit 0
