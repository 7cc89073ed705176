#!/usr/bin/env bash
# The launcher the way a player gets it, against a small demo game served on this machine.
#   - publishes a demo game (the stand-in client Vorn.exe and a few MiB of data in sub-folders,
#     signed with the build's test key) and serves it with nginx on https://127.0.0.1:443, slowed
#     down so that the download can be watched;
#   - copies the launcher into an empty "Downloads" folder of a fresh Wine prefix and runs it there:
#     the installer first, then the update, then PLAY.
# With a usable $DISPLAY it runs there for a person to click. Without one it runs on its own Xvfb,
# answers the installer, presses PLAY and saves screenshots. Everything it starts is stopped again.
# DEMO_ADDRESS=127.0.0.<n> serves on another loopback address when 127.0.0.1:443 is taken (the
# installer's size query still asks the built-in host). DEMO_RATE: the server's rate (default 1m).
# Usage: tools/demo.sh <build folder>   (made by `make demo`: the x64 build of a tests-enabled tree)
set -euo pipefail

[ $# -eq 1 ] && [ -d "$1/x64" ] || { echo "usage: $0 <build folder holding x64/>" >&2; exit 2; }
top=$(cd "$1" && pwd)
build=$top/x64
tools=$(cd "$(dirname "$0")" && pwd)
demo=$top/demo

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
for f in "bin/Velmora World.exe" bin/Vorn.exe bin/trust_ca.exe bin/demo_pilot.exe certs/ca.pem certs/server.pem \
         keys/list-signing.key; do
    [ -f "$build/$f" ] || { echo "$0: $build/$f is missing: build with \`make demo\`" >&2; exit 1; }
done

address=${DEMO_ADDRESS:-127.0.0.1}
# One server on 127.0.0.1:443 at a time on this machine.
if [ "$address" = 127.0.0.1 ] && [ "${VELMORA_DEMO_LOCKED:-}" != 1 ]; then
    export VELMORA_DEMO_LOCKED=1
    exec flock -w 600 /tmp/velmora-https.lock "$0" "$@"
fi

xvfb_pid=""
nginx_started=""
cleanup() {
    set +e
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k 2> /dev/null
    [ -n "$nginx_started" ] && sh "$tools/nginx-fixture.sh" stop "$demo" > /dev/null
    if [ -n "$xvfb_pid" ]; then
        kill -TERM "$xvfb_pid" 2> /dev/null
        wait "$xvfb_pid" 2> /dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== Demo folder: $demo"
rm -rf "$demo"
mkdir -p "$demo/www/files/pc/data" "$demo/Downloads"
ln -s "$build/certs" "$demo/certs"

echo "== Publishing the demo game"
pc=$demo/www/files/pc
python3 - "$pc/data" <<'EOF'
import os, random, sys
data = sys.argv[1]
files = {
    "maps/plaine-d-orvel.map": 2 * 1024 * 1024,
    "maps/foret-de-brume.map": 1024 * 1024,
    "sons/musique-titre.ogg": 1536 * 1024,
    "textures/ciel.tex": 512 * 1024,
    "textures/pierre.tex": 512 * 1024,
    "config/options.cfg": 2048,
}
rng = random.Random(1)
for name, size in files.items():
    path = os.path.join(data, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(rng.randbytes(size))
EOF
cp "$build/bin/Vorn.exe" "$pc/data/Vorn.exe"
python3 "$tools/publish.py" all "$pc" --key "$build/keys/list-signing.key" --default config/options.cfg
size=$(du -sb "$pc/data" | cut -f1)
printf 'V.1.0.0\r\nVelmora World demo\r\n%s\r\n' "$size" > "$pc/Vers.txt"
echo "   $(grep -c '|' "$pc/filelist.txt") files, $size bytes"

echo "== Serving it on https://$address:443"
NGINX_ADDRESS=$address NGINX_LIMIT_RATE=${DEMO_RATE:-1m} sh "$tools/nginx-fixture.sh" start "$demo"
nginx_started=1

# A display a person can see, or our own.
interactive=""
if [ -n "${DISPLAY:-}" ] && xdpyinfo > /dev/null 2>&1; then
    interactive=1
    echo "== Using the display $DISPLAY"
else
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3> "$display_file" < /dev/null \
        > "$demo/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 200); do [ -s "$display_file" ] && break; sleep 0.05; done
    [ -s "$display_file" ] || { echo "$0: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$(head -n 1 "$display_file")
    rm -f "$display_file"
    echo "== No display: running on Xvfb $DISPLAY"
fi

echo "== Making a fresh Wine prefix"
export WINEPREFIX=$demo/wineprefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Gecko/Mono install dialog, no menu entries or desktop files on this machine.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$demo/home
[ "$address" = 127.0.0.1 ] || export VELMORA_TEST_GAME_HOST=$address
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_DESKTOP_DIR
mkdir -p "$HOME/Desktop"
"$WINE" wineboot --init < /dev/null > "$demo/wineboot.log" 2>&1
"$WINE" "$build/bin/trust_ca.exe" "Z:${build//\//\\}\\certs\\ca.pem" < /dev/null > "$demo/trust_ca.log" 2>&1
# Classic controls as on Windows without visual styles (Wine themes them whatever the manifest says).
"$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f \
    < /dev/null > /dev/null 2>&1
if [ -z "$interactive" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f < /dev/null > /dev/null 2>&1
fi

cp "$build/bin/Velmora World.exe" "$demo/Downloads/"
launcher="Z:${demo//\//\\}\\Downloads\\Velmora World.exe"
user=$(ls "$WINEPREFIX/drive_c/users" | grep -v -x Public | head -n 1)
game="$WINEPREFIX/drive_c/users/$user/AppData/Local/Velmora World"

echo "== Starting the launcher from $demo/Downloads"
if [ -n "$interactive" ]; then
    echo "   Install into the proposed folder, watch the update, press PLAY. Close the game's window to end."
    (cd "$demo/Downloads" && "$WINE" "$launcher" < /dev/null > "$demo/launcher.log" 2>&1 &)
    sleep 2
    "$WINESERVER" -w
    status=0
else
    shots="Z:${demo//\//\\}"
    "$WINE" "$build/bin/demo_pilot.exe" "$shots" < /dev/null 2> "$demo/pilot.log" &
    pilot=$!
    (cd "$demo/Downloads" && "$WINE" "$launcher" < /dev/null > "$demo/launcher.log" 2>&1 &)
    set +e
    wait "$pilot"
    status=$?
    set -e
    [ $status -eq 0 ] || cat "$demo/pilot.log" >&2
fi

[ -f "$game/PatchLog.txt" ] && cp "$game/PatchLog.txt" "$demo/PatchLog.txt"
echo
echo "== Game folder:  $game"
[ -f "$game/PatchLog.txt" ] && echo "== Launcher log: $game/PatchLog.txt (copy: $demo/PatchLog.txt)"
[ -f "$game/VornStarted.txt" ] && echo "== The game was started: $(head -n 1 "$game/VornStarted.txt" | tr -d '\r')"
if [ -z "$interactive" ]; then
    for png in "$demo"/*.png; do [ -f "$png" ] && echo "== Screenshot:   $png"; done
fi
echo "== Server log:   $demo/nginx/logs/access.log"
exit $status
