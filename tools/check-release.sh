#!/usr/bin/env bash
# Checks a release program for what only test builds may carry: the environment seams (every name
# beginning with VELMORA_), the list builder's digest hook, and the list-signing key of a test build,
# whose private half lies in that build folder. It must carry the publisher's key it was built with.
# Usage: tools/check-release.sh <program> <publisher key: 128 hex digits> [test key file...]
set -euo pipefail

[ $# -ge 2 ] && [ -f "$1" ] || { echo "usage: $0 <program> <publisher key> [test key file...]" >&2; exit 2; }
exe=$1
publisher=${2,,}
shift 2
is_key() { [[ $1 =~ ^[0-9a-f]{128}$ ]]; }
is_key "$publisher" || { echo "$0: the publisher key must be 128 hexadecimal digits" >&2; exit 2; }

failed=0
fail() { echo "$exe: $*" >&2; failed=1; }

# Whether the program holds the 64 key bytes that the 128 hex digits stand for.
holds_key() {
    python3 -c 'import sys; sys.exit(0 if bytes.fromhex(sys.argv[2]) in open(sys.argv[1], "rb").read() else 1)' "$exe" "$1"
}

for name in $(LC_ALL=C grep -aoE 'VELMORA_[A-Z0-9_]+' "$exe" | sort -u); do
    fail "test seam: reads the environment variable $name"
done

# The hook has no text of its own: its symbol tells. Without a symbol table nothing could be told.
symbols=$(x86_64-w64-mingw32-nm "$exe" 2>/dev/null || true)
if [ -z "$symbols" ]; then
    fail "no symbol table: cannot check for the digest hook"
elif grep -q 'SetListDigestHook' <<< "$symbols"; then
    fail "test seam: the list builder's digest hook (SetListDigestHook)"
fi

for file in "$@"; do
    key=$(tr -d '[:space:]' < "$file")
    key=${key,,}
    is_key "$key" || { echo "$0: $file holds no key of 128 hexadecimal digits" >&2; exit 2; }
    if [ "$key" = "$publisher" ]; then
        fail "the publisher key is the test key $file"
    elif holds_key "$key"; then
        fail "trusts the test key $file"
    fi
done

holds_key "$publisher" || fail "does not hold the publisher key it was built with"

[ "$failed" -eq 0 ] || exit 1
echo "$exe: publisher key, no test seam, no test key"
