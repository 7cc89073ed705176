#!/usr/bin/env bash
# Runs a command inside the test environment of a build folder, then stops all it started:
#  - a 64-bit Wine prefix in <build>/wineprefix (made once) whose LocalMachine Root store trusts
#    the build's test CA, with a private home so that Wine's Desktop and Start menu stay in <build>;
#  - an Xvfb server on a free display, and a persistent wineserver for the prefix.
# Exported for the command: WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, DISPLAY, HOME,
# VELMORA_BUILD_DIR and VELMORA_WWW_DIR.
# Usage: tools/testenv.sh <build folder> <command...>
set -euo pipefail

if [ $# -lt 2 ] || [ ! -d "$1" ]; then
    echo "usage: $0 <build folder> <command...>" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
tools=$(cd "$(dirname "$0")" && pwd)

# Called again from inside the environment: it is there already.
if [ "${VELMORA_TESTENV_ACTIVE:-}" = "$build" ]; then
    exec "$@"
fi

# A prefix serves one run at a time: wait for the build folder's other run to end.
if [ "${VELMORA_TESTENV_LOCKED:-}" != "$build" ]; then
    export VELMORA_TESTENV_LOCKED=$build
    exec flock -o -w 3600 "$build/.testenv.lock" "$0" "$build" "$@"
fi
unset VELMORA_TESTENV_LOCKED

# Wine's system processes outlive the programs that start them and keep every descriptor they got:
# none of ours may reach them (a lock held by a caller's flock would never be released).
for fd in $(ls /proc/$$/fd); do
    if [ "$fd" -gt 2 ] && [ "$fd" -lt 255 ]; then eval "exec $fd>&-"; fi
done

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
for tool in "$WINE" "$WINESERVER" Xvfb; do
    command -v "$tool" > /dev/null || { echo "$0: $tool is missing: run tools/install-deps.sh" >&2; exit 1; }
done

export WINEPREFIX=$build/wineprefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Gecko/Mono install dialog, ever; no menu entries or desktop files on this machine.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export HOME=$build/home
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_DESKTOP_DIR
export VELMORA_BUILD_DIR=$build
export VELMORA_WWW_DIR=$build/www
mkdir -p "$WINEPREFIX" "$HOME/Desktop" "$VELMORA_WWW_DIR"
logs=$build/testenv-logs
mkdir -p "$logs"

# Everything started from here on carries this mark in its environment, so that whatever outlives
# the wineserver (or a run that was killed) can be found and stopped by its process id.
mark="VELMORA_TESTENV_ACTIVE=$build"
kill_marked() {
    local pids
    pids=$(env -u VELMORA_TESTENV_ACTIVE grep -lxFz "$mark" /proc/[0-9]*/environ 2> /dev/null \
           | sed -n 's|^/proc/\([0-9]*\)/environ$|\1|p' | grep -vx "$$" || true)
    [ -n "$pids" ] && kill -KILL $pids 2> /dev/null
    return 0
}
kill_marked
export VELMORA_TESTENV_ACTIVE=$build

xvfb_pid=""
wineserver_pid=""
display_file=""

cleanup() {
    set +e
    # Left over when the command was interrupted between the nginx fixtures.
    [ -f "$build/nginx/nginx.pid" ] && sh "$tools/nginx-fixture.sh" stop "$build"
    if [ -n "$wineserver_pid" ]; then
        "$WINESERVER" -k 2> /dev/null
        for _ in $(seq 100); do kill -0 "$wineserver_pid" 2> /dev/null || break; sleep 0.1; done
        kill -KILL "$wineserver_pid" 2> /dev/null
        wait "$wineserver_pid" 2> /dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill -TERM "$xvfb_pid" 2> /dev/null
        wait "$xvfb_pid" 2> /dev/null
    fi
    kill_marked
    [ -n "$display_file" ] && rm -f "$display_file"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Xvfb picks a free display itself and writes its number once it accepts clients.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3> "$display_file" < /dev/null > "$logs/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do
    [ -s "$display_file" ] && break
    kill -0 "$xvfb_pid" 2> /dev/null || { cat "$logs/xvfb.log" >&2; echo "$0: Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
[ -s "$display_file" ] || { echo "$0: Xvfb gave no display number" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$display_file")

# The persistent wineserver must own the prefix before any wine process starts one of its own.
"$WINESERVER" -f -p < /dev/null > "$logs/wineserver.log" 2>&1 &
wineserver_pid=$!
# It works in its server folder, where it makes its socket.
for _ in $(seq 200); do
    [ -S "/proc/$wineserver_pid/cwd/socket" ] && break
    kill -0 "$wineserver_pid" 2> /dev/null || { cat "$logs/wineserver.log" >&2; echo "$0: wineserver did not start" >&2; exit 1; }
    sleep 0.05
done

if [ ! -f "$WINEPREFIX/.velmora-ready" ]; then
    echo "Making the Wine prefix $WINEPREFIX"
    "$WINE" wineboot --init < /dev/null > "$logs/wineboot.log" 2>&1 \
        || { cat "$logs/wineboot.log" >&2; echo "$0: wineboot failed" >&2; exit 1; }
    touch "$WINEPREFIX/.velmora-ready"
fi

# There is no window manager: unmanaged windows spare a 2 s wait for one whenever a window hides.
# Set on every run, like the CA below, so that older prefixes get it too.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f < /dev/null > "$logs/settings.log" 2>&1 \
    || { cat "$logs/settings.log" >&2; echo "$0: could not configure the prefix" >&2; exit 1; }

# Trusting the CA is cheap and idempotent; doing it every run follows a re-made CA.
trust_ca=$build/bin/trust_ca.exe
ca=$build/certs/ca.pem
if [ -f "$trust_ca" ] && [ -f "$ca" ]; then
    "$WINE" "$trust_ca" "Z:${ca//\//\\}" < /dev/null > "$logs/trust_ca.log" 2>&1 \
        || { cat "$logs/trust_ca.log" >&2; echo "$0: could not trust the test CA" >&2; exit 1; }
else
    echo "$0: warning: $trust_ca or $ca missing (build the tests first): HTTPS will not be trusted" >&2
fi

# The first window of a run starts Wine's desktop process, which outlives the test program and
# keeps the output it inherited: ctest would wait on that pipe until its time-out. Start it here.
"$WINE" rundll32.exe user32.dll,GetDesktopWindow < /dev/null > "$logs/desktop.log" 2>&1 || true

set +e
"$@"
status=$?
set -e
exit $status
