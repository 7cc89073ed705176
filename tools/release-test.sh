#!/usr/bin/env bash
# `make release` refuses a missing, malformed or test key; the release checks find the seams and the
# test key of a test build's launcher; and a release built with a throwaway publisher key passes them.
# Usage: tools/release-test.sh <x64 test build folder> <its launcher> <release folder>
set -uo pipefail

[ $# -eq 3 ] || { echo "usage: $0 <x64 test build folder> <its launcher> <release folder>" >&2; exit 2; }
test_build=$(cd "$1" && pwd)
test_launcher=$2
release=$3
tools=$(cd "$(dirname "$0")" && pwd)
test_key=$test_build/keys/list-signing.pub.hex

failures=0
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# expect <0|1> <text the output must hold> <command...>
expect() {
    local want=$1 text=$2 rc=0
    shift 2
    "$@" > "$out" 2>&1 || rc=$?
    if { [ "$want" -eq 0 ] && [ "$rc" -ne 0 ]; } || { [ "$want" -ne 0 ] && [ "$rc" -eq 0 ]; } ||
       ! grep -qF -- "$text" "$out"; then
        echo "FAILED: $* (exit $rc, expected $([ "$want" -eq 0 ] && echo success || echo failure) saying '$text'):"
        cat "$out"
        failures=$((failures + 1))
    fi
}

# The make of an outer `make test` must not leak its variables into this one.
release() {
    env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL -u PUBLIC_KEY make -C "$tools/.." --no-print-directory release \
        BUILD="$(dirname "$test_build")" RELEASE_BUILD="$release" "$@"
}

# Only the public half is kept; the private one never reaches the disk.
throwaway_key=$(openssl ecparam -name prime256v1 -genkey -noout |
                openssl ec -pubout -outform DER 2>/dev/null | tail -c 64 | od -An -tx1 -v | tr -d ' \n')
[ ${#throwaway_key} -eq 128 ] || { echo "openssl made no public key"; exit 1; }

expect 1 "PUBLIC_KEY=<128 hex digits" release
expect 1 "PUBLIC_KEY=<128 hex digits" release PUBLIC_KEY=
expect 1 "not 127" release PUBLIC_KEY="${throwaway_key:1}"
expect 1 "hexadecimal digits only" release PUBLIC_KEY="${throwaway_key:1}g"
expect 1 "no point of the curve" release PUBLIC_KEY="$(printf '11%.0s' $(seq 64))"
expect 1 "is the test key of $test_build" release PUBLIC_KEY="$(tr 'a-f' 'A-F' < "$test_key")"
fake_test_build=$(mktemp -d)
trap 'rm -rf "$out" "$fake_test_build"' EXIT
echo "VELMORA_RELEASE:BOOL=OFF" > "$fake_test_build/CMakeCache.txt"
expect 1 "is a test build folder" release PUBLIC_KEY="$throwaway_key" RELEASE_BUILD="$fake_test_build"

# The checks know a test build when they see one.
expect 1 "environment variable VELMORA_WAIT_LOG" \
    "$tools/check-release.sh" "$test_launcher" "$throwaway_key" "$test_key"
for finding in "environment variable VELMORA_WAIT_DIVISOR" "environment variable VELMORA_TEST_GAME_HOST" \
               "digest hook (SetListDigestHook)" "trusts the test key $test_key" "does not hold the publisher key"; do
    grep -qF -- "$finding" "$out" || { echo "FAILED: check-release.sh did not report: $finding"; cat "$out"; failures=$((failures + 1)); }
done

expect 0 "publisher key, no test seam, no test key" release PUBLIC_KEY="$throwaway_key" JOBS=4

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "make release: refuses bad keys, builds and checks $release"
