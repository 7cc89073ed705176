#!/usr/bin/env bash
# `make release`: the shipped program, "Velmora World.exe" for 32-bit Windows, trusting the publisher's
# list-signing public key, built alone in a folder of its own and checked: PE32 with Windows DLL imports
# only (tools/check-binaries.sh), no test seam and no test key (tools/check-release.sh).
# Usage: tools/release.sh <release build folder> <public key: 128 hex digits, X then Y> [test key file...]
# The test key files are those of the test build folders; none of them may be the key given.
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 <release build folder> <public key> [test key file...]" >&2; exit 2; }
dir=$1
key=$2
shift 2
tools=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$tools")

refuse() { echo "make release: $*" >&2; exit 1; }

[ -n "$key" ] || refuse "the publisher's list-signing public key is needed:
    make release PUBLIC_KEY=<128 hex digits, X then Y>
(tools/publish.py pubkey --key KEY.pem prints it from the publisher's key pair)."
[[ $key =~ ^[0-9a-fA-F]+$ ]] || refuse "PUBLIC_KEY must be hexadecimal digits only: '$key'"
[ ${#key} -eq 128 ] || refuse "PUBLIC_KEY must be 128 hexadecimal digits (X then Y), not ${#key}"
key=${key,,}
# A P-256 SubjectPublicKeyInfo is this header, 04, then X and Y; openssl refuses a point off the curve.
if ! python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex(sys.argv[1]))' \
        "3059301306072a8648ce3d020106082a8648ce3d03010703420004$key" | openssl pkey -pubin -inform DER -noout 2>/dev/null; then
    refuse "PUBLIC_KEY is not a P-256 public key (X then Y): no point of the curve"
fi
for file in "$@"; do
    [ "$(tr -d '[:space:]' < "$file")" != "$key" ] ||
        refuse "PUBLIC_KEY is the test key of $(dirname "$(dirname "$file")"), whose private half lies in that folder; a release needs the publisher's key"
done
if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^VELMORA_RELEASE:[A-Z]*=ON$' "$dir/CMakeCache.txt"; then
    refuse "$dir is a test build folder; a release needs a folder of its own (RELEASE_BUILD=<folder>)"
fi

"$tools/install-deps.sh"
cmake --no-warn-unused-cli -S "$source_dir" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
      -DVELMORA_RELEASE=ON -DVELMORA_TESTS=OFF -DVELMORA_PUBLIC_KEY="$key"
cmake --build "$dir" -j "${JOBS:-$(nproc)}" --target velmora_launcher
"$tools/check-binaries.sh" "$dir" PE32
"$tools/check-release.sh" "$dir/bin/Velmora World.exe" "$key" "$@"
