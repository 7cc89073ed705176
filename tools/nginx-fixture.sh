#!/bin/sh
# The tests' web server: nginx on https://127.0.0.1:443 (certificate for localhost and 127.0.0.1-9)
# serving <build>/www, with its configuration, temp files, logs and pid file in <build>/nginx/.
# The access log has one line per request: request line, Range header, status, body bytes sent,
# separated by tabs.
# NGINX_LIMIT_RATE (optional, e.g. "1m"): bytes per second per connection, so that a person can
# watch a download (the demo). NGINX_ADDRESS (optional): another loopback address to listen on.
# Usage: nginx-fixture.sh start|stop <build folder>
set -eu

usage() { echo "usage: $0 start|stop <build folder>" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
[ -d "$2" ] || { echo "$0: no build folder $2" >&2; exit 2; }
build=$(cd "$2" && pwd)
dir=$build/nginx
pidfile=$dir/nginx.pid
NGINX=${NGINX:-$(command -v nginx || echo /usr/sbin/nginx)}

# Pid of our running nginx master, or nothing.
running_pid() {
    [ -f "$pidfile" ] || return 0
    pid=$(cat "$pidfile" 2>/dev/null || true)
    case "$pid" in ''|*[!0-9]*) return 0 ;; esac
    [ "$(cat /proc/"$pid"/comm 2>/dev/null || true)" = nginx ] && echo "$pid"
    return 0
}

# True while the process exists and has not ended (a zombie has ended).
alive() {
    state=$(sed 's/.*) //' /proc/"$1"/stat 2>/dev/null | cut -c1)
    [ -n "$state" ] && [ "$state" != Z ]
}

stop() {
    pid=$(running_pid)
    if [ -n "$pid" ]; then
        kill -TERM "$pid" 2>/dev/null || true
        i=0
        while alive "$pid" && [ $i -lt 200 ]; do sleep 0.05; i=$((i + 1)); done
        if alive "$pid"; then
            echo "nginx $pid did not stop, killing it" >&2
            kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
    rm -f "$pidfile"
}

write_config() {
    user=""
    [ "$(id -u)" -eq 0 ] && user="user root;"
    cat > "$dir/conf/nginx.conf" <<EOF
$user
worker_processes 1;
pid "$pidfile";
error_log "$dir/logs/error.log" info;
events { worker_connections 256; }
http {
    default_type application/octet-stream;
    client_body_temp_path "$dir/temp/body";
    proxy_temp_path "$dir/temp/proxy";
    fastcgi_temp_path "$dir/temp/fastcgi";
    uwsgi_temp_path "$dir/temp/uwsgi";
    scgi_temp_path "$dir/temp/scgi";
    log_format velmora '\$request\t\$http_range\t\$status\t\$body_bytes_sent';
    access_log "$dir/logs/access.log" velmora;
    server {
        listen ${NGINX_ADDRESS:-127.0.0.1}:443 ssl;
        server_name localhost;
        ssl_certificate "$build/certs/server.pem";
        ssl_certificate_key "$build/certs/server.key";
        ssl_protocols TLSv1.2 TLSv1.3;
        root "$build/www";
        ${NGINX_LIMIT_RATE:+limit_rate $NGINX_LIMIT_RATE;}
        location / { }
    }
}
EOF
}

start() {
    for f in server.pem server.key; do
        [ -f "$build/certs/$f" ] || { echo "$0: $build/certs/$f is missing: configure the build with tests" >&2; exit 1; }
    done
    stop
    mkdir -p "$dir/conf" "$dir/logs" "$dir/temp/body" "$dir/temp/proxy" "$dir/temp/fastcgi" \
             "$dir/temp/uwsgi" "$dir/temp/scgi" "$build/www"
    : > "$dir/logs/access.log"
    write_config
    if ! "$NGINX" -p "$dir/" -c "$dir/conf/nginx.conf" -e "$dir/logs/error.log" \
            < /dev/null > "$dir/logs/start.log" 2>&1; then
        cat "$dir/logs/start.log" >&2
        echo "$0: nginx did not start (is another server on ${NGINX_ADDRESS:-127.0.0.1}:443?)" >&2
        exit 1
    fi
    i=0
    while [ -z "$(running_pid)" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    pid=$(running_pid)
    [ -n "$pid" ] || { echo "$0: nginx wrote no pid file" >&2; exit 1; }
    echo "nginx $pid serving $build/www on https://${NGINX_ADDRESS:-127.0.0.1}:443"
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *) usage ;;
esac
