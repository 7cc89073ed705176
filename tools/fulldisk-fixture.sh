#!/bin/sh
# A tiny file system for the "disk full" tests: a 256 KiB tmpfs mounted on <build>/fulldisk.
# Where mounting is not allowed the folder stays an ordinary one and the tests see its large
# free space and say so.
# Usage: fulldisk-fixture.sh start|stop <build folder>
set -eu
[ $# -eq 2 ] && [ -d "$2" ] || { echo "usage: $0 start|stop <build folder>" >&2; exit 2; }
mnt=$(cd "$2" && pwd)/fulldisk
case "$1" in
    start)
        mkdir -p "$mnt"
        mountpoint -q "$mnt" && umount "$mnt"
        if mount -t tmpfs -o size=256k,mode=0777 velmora-fulldisk "$mnt" 2>/dev/null; then
            echo "tmpfs of 256 KiB on $mnt"
        else
            echo "cannot mount a tmpfs on $mnt: it stays an ordinary folder"
        fi ;;
    stop)
        mountpoint -q "$mnt" && umount "$mnt"
        exit 0 ;;
    *) echo "usage: $0 start|stop <build folder>" >&2; exit 2 ;;
esac
