#!/usr/bin/env bash
# The benchmarks of `make bench`: the launcher against bare programs doing the same work, one benchmark
# after the other and each alone, inside tools/testenv.sh with nginx on https://127.0.0.1:443:
#   download       a worker run under the main window, 256 MiB from nginx; anchor: a bare WinINet loop
#   download-1cpu  the same with the process held to one CPU
#   download-cpu   the same, 96 MiB from nginx sending 12 MiB/s: CPU time per MiB
#   filelist       the list check of a current folder with "filelist.txt"; anchor: a bare attribute scan
#   filelist-hash  the same without "filelist.txt"; anchor: a bare read-and-MD5 loop
#   startup        process start to "Ready to play", nothing to update; anchor: a bare process start
# It ends with one line per measure, "<measure>: <launcher> vs <anchor> <figure>, ratio <r> (goal <g>)", the
# ratio being higher when the launcher does better: its speed as a share of the anchor's, or the anchor's
# CPU time as a share of its own (medians of rounds); each run's output is kept in <build>/bench/<run>.log.
# Usage: tools/bench.sh <build folder>   (the x64 build of a tests-enabled tree, made by `make bench`)
set -euo pipefail

[ $# -eq 1 ] && [ -d "$1" ] || { echo "usage: $0 <x64 build folder>" >&2; exit 2; }
build=$(cd "$1" && pwd)
tools=$(cd "$(dirname "$0")" && pwd)
programs="download_benchmark filelist_bench startup_bench"
for program in $programs; do
    [ -f "$build/bench/$program.exe" ] || { echo "$0: $build/bench/$program.exe is missing: run \`make bench\`" >&2; exit 1; }
done

# One server on 127.0.0.1:443 at a time on this machine (tools/demo.sh takes the same lock).
if [ "${VELMORA_BENCH_LOCKED:-}" != 1 ]; then
    export VELMORA_BENCH_LOCKED=1
    exec flock -w 600 /tmp/velmora-https.lock "$0" "$@"
fi
if [ "${VELMORA_TESTENV_ACTIVE:-}" != "$build" ]; then
    exec "$tools/testenv.sh" "$build" "$0" "$@"
fi

WINE=${WINE:-/usr/lib/wine/wine64}
# Classic controls, as on Windows, where the manifest asks for them (Wine themes them whatever it says,
# and a themed bar costs the window more at every position); the prefix's setting comes back at the end.
theme_key='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
old_theme=$("$WINE" reg query "$theme_key" /v ThemeActive < /dev/null 2> /dev/null | tr -d '\r' \
            | awk '$1 == "ThemeActive" { print $3 }' || true)
cleanup() {
    if [ -n "$old_theme" ]; then
        "$WINE" reg add "$theme_key" /v ThemeActive /d "$old_theme" /f < /dev/null > /dev/null 2>&1
    else
        "$WINE" reg delete "$theme_key" /v ThemeActive /f < /dev/null > /dev/null 2>&1
    fi
    sh "$tools/nginx-fixture.sh" stop "$build"
}
trap cleanup EXIT
"$WINE" reg add "$theme_key" /v ThemeActive /d 0 /f < /dev/null > /dev/null 2>&1 \
    || { echo "$0: could not switch Wine's theme off" >&2; exit 1; }
python3 "$tools/../tests/e2e/make_games.py" "$build" > "$build/bench/games.log" 2>&1 \
    || { cat "$build/bench/games.log" >&2; echo "$0: could not publish the games" >&2; exit 1; }
sh "$tools/nginx-fixture.sh" start "$build"

results=""
status=0
# run <name> <program> [argument]
run() {
    echo "== $1"
    log=$build/bench/$1.log
    # Written to a file, not a pipe, which a Wine process started on the way could hold open; a worker
    # that fails asks the user what to do: a bound instead of a wait for no one.
    timeout 1800 "$WINE" "$build/bench/$2.exe" ${3:+"$3"} < /dev/null > "$log" 2>&1 &
    pid=$!
    tail -n +1 --pid=$pid -f "$log"
    if ! wait $pid; then
        echo "$0: $1 failed (see $log)" >&2
        status=1
    fi
    sed -i 's/\r$//' "$log"
    lines=$(grep -E '^[a-z0-9-]+: .+ vs .+, ratio [0-9.]+ \(goal .+\)$' "$log" || true)
    [ -n "$lines" ] || { lines="$1: no result"; status=1; }
    results+="$lines"$'\n'
}
run download download_benchmark download
run download-1cpu download_benchmark download-1cpu
run filelist filelist_bench
run startup startup_bench
# A fast line as a player has it: reads wait for data.
NGINX_LIMIT_RATE=12m sh "$tools/nginx-fixture.sh" start "$build"
run download-cpu download_benchmark download-cpu

echo
echo "== Results (medians; ratio: higher when the launcher does better)"
printf '%s' "$results"
exit $status
