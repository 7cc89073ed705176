#!/usr/bin/env bash
# Checks every program that a build folder makes (listed in <build>/programs.txt at configure time):
# the expected PE format, and imports of Windows' own DLLs only (the C++ runtime is linked in: no
# libstdc++, libgcc or libwinpthread DLL to ship). A DLL counts as Windows' own when Wine provides it.
# Usage: tools/check-binaries.sh <build folder> PE32|PE32+
set -euo pipefail

usage() { echo "usage: $0 <build folder> PE32|PE32+" >&2; exit 2; }
[ $# -eq 2 ] && [ -d "$1" ] || usage
build=$1
format=$2
case "$format" in
    PE32) objdump=i686-w64-mingw32-objdump ;;
    PE32+) objdump=x86_64-w64-mingw32-objdump ;;
    *) usage ;;
esac
system_dlls=${WINE_DLL_DIR:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
[ -d "$system_dlls" ] || { echo "$0: no Wine DLL folder $system_dlls" >&2; exit 1; }

list=$build/programs.txt
[ -f "$list" ] || { echo "$0: no $list: configure $build first" >&2; exit 1; }

failed=0
count=0
while IFS= read -r exe; do
    [ -n "$exe" ] || continue
    if [ ! -f "$exe" ]; then
        echo "$exe: not built, not checked"
        continue
    fi
    count=$((count + 1))
    info=$("$objdump" -p "$exe")
    magic=$(sed -n 's/^Magic[[:space:]]*[0-9a-fA-F]*[[:space:]]*(\(.*\))$/\1/p' <<< "$info")
    if [ "$magic" != "$format" ]; then
        echo "$exe: ${magic:-not a PE program}, expected $format" >&2
        failed=1
    fi
    for dll in $(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<< "$info"); do
        if [ ! -e "$system_dlls/${dll,,}" ]; then
            echo "$exe imports $dll, which is not a Windows DLL" >&2
            failed=1
        fi
    done
done < "$list"

if [ "$count" -eq 0 ]; then
    echo "$0: no programs in $build" >&2
    exit 1
fi
[ "$failed" -eq 0 ] || exit 1
echo "$count programs in $build: $format, system DLLs only"
