#!/usr/bin/env bash
# The end-to-end prefix: `fresh DIR` stops and deletes it (wine-run makes it anew on first use),
# `stop DIR` ends its Wine processes.
set -u
what=$1 prefix=$2
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
if [ "$what" = fresh ]; then
    rm -rf "$prefix" "$prefix.lock"
fi
exit 0
