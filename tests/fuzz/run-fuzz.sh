#!/bin/sh
# Builds the file-list line fuzz target natively (clang, libFuzzer, ASan, UBSan) and runs it
# for a bounded time over a copy of the seed corpus.
# Usage: run-fuzz.sh <output folder> [seconds]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:?usage: run-fuzz.sh <output folder> [seconds]}
seconds=${2:-30}
CXX=${FUZZ_CXX:-clang++}

if ! command -v "$CXX" >/dev/null 2>&1; then
    echo "run-fuzz.sh: $CXX not found (tools/install-deps.sh installs clang)" >&2
    exit 1
fi

mkdir -p "$out/corpus" "$out/artifacts"
exe="$out/filelist_line_fuzz"

"$CXX" -std=c++17 -g -O1 -Wall -Wextra \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" \
    "$here/filelist_line_fuzz.cpp" "$root/engine/ListLine.cpp" \
    -o "$exe"

# The seeds first, on their own, so a regression in them fails fast and clearly.
"$exe" -runs=0 "$here/corpus"

# New inputs found by this run go to the output folder; the seeds in the tree stay as they are.
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
ASAN_OPTIONS=detect_leaks=1 \
"$exe" -max_total_time="$seconds" -max_len=2048 -timeout=10 \
    -artifact_prefix="$out/artifacts/" -print_final_stats=1 \
    "$out/corpus" "$here/corpus"
