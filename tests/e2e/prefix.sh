#!/usr/bin/env bash
# The end-to-end prefix: `fresh DIR ARCH [DRIVE]` stops and deletes it, makes it anew, gives it
# a small drive D: and, with DRIVE, maps T: to DRIVE (an empty directory) as a second drive;
# `stop DIR` ends its Wine processes and takes the small drive away again.
set -u
what=$1 prefix=$2 arch=${3:-win32} drive=${4:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
disk=$prefix.d
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
if mountpoint -q "$disk"; then
    umount "$disk" || echo "prefix.sh: could not unmount $disk" >&2
fi
rmdir "$disk" 2>/dev/null
[ "$what" = fresh ] || exit 0

rm -rf "$prefix" "$prefix.lock"
WINEPREFIX=$prefix WINEARCH=$arch "$here/../../scripts/wine-prefix" || exit 1
if [ -n "$drive" ]; then
    rm -rf "$drive" && mkdir -p "$drive" || exit 1
    ln -sfn "$drive" "$prefix/dosdevices/t:" || exit 1
fi
# D: is a 24 KB tmpfs (mounting needs root), for the scenario of a disk that fills up. Where
# it cannot be had the drive is missing, and that scenario fails saying so.
mkdir -p "$disk"
if mount -t tmpfs -o size=24k tmpfs "$disk"; then
    ln -sfn "$disk" "$prefix/dosdevices/d:"
else
    echo "prefix.sh: no tmpfs on $disk: the full-disk scenario cannot run" >&2
    rmdir "$disk"
fi
exit 0
