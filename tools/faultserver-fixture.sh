#!/bin/sh
# The download tests' fault server (tools/faultserver.py) on https://127.0.0.2:443 with the build's
# test certificate. It serves <build>/faultserver/www; tests write their rules into
# <build>/faultserver/rules/ and read <build>/faultserver/requests.log and arrivals.log.
# Usage: faultserver-fixture.sh start|stop <build folder>
set -eu

usage() { echo "usage: $0 start|stop <build folder>" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
[ -d "$2" ] || { echo "$0: no build folder $2" >&2; exit 2; }
build=$(cd "$2" && pwd)
tools=$(cd "$(dirname "$0")" && pwd)
dir=$build/faultserver
pidfile=$dir/server.pid

running_pid() {
    [ -f "$pidfile" ] || return 0
    pid=$(cat "$pidfile" 2>/dev/null || true)
    case "$pid" in ''|*[!0-9]*) return 0 ;; esac
    grep -q faultserver.py /proc/"$pid"/cmdline 2>/dev/null && echo "$pid"
    return 0
}

stop() {
    pid=$(running_pid)
    if [ -n "$pid" ]; then
        kill -TERM "$pid" 2>/dev/null || true
        i=0
        while [ -d /proc/"$pid" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
        [ -d /proc/"$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile"
}

# Wine's WinINet matches the host against the certificate's DNS names only, so the address is
# also written as a DNS name in a certificate of our own, signed by the build's test CA.
make_cert() {
    certs=$build/certs
    for f in ca.pem ca.key; do
        [ -f "$certs/$f" ] || { echo "$0: $certs/$f is missing: configure the build with tests" >&2; exit 1; }
    done
    if [ -f "$dir/server.pem" ] && [ "$dir/server.pem" -nt "$certs/ca.pem" ] &&
       openssl x509 -in "$dir/server.pem" -noout -checkend 86400 > /dev/null 2>&1; then
        return 0
    fi
    cat > "$dir/cert.cnf" <<CNF
[req]
distinguished_name = dn
prompt = no
[dn]
CN = 127.0.0.2
[ext]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:127.0.0.2,IP:127.0.0.2
CNF
    openssl req -new -newkey rsa:2048 -nodes -sha256 -config "$dir/cert.cnf" \
        -keyout "$dir/server.key" -out "$dir/server.csr" 2> "$dir/cert.log"
    openssl x509 -req -in "$dir/server.csr" -CA "$certs/ca.pem" -CAkey "$certs/ca.key" \
        -set_serial "0x$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')" -sha256 -days 30 \
        -extfile "$dir/cert.cnf" -extensions ext -out "$dir/server.pem" 2>> "$dir/cert.log"
    rm -f "$dir/server.csr"
}

start() {
    mkdir -p "$dir"
    make_cert
    stop
    rm -rf "$dir/rules" "$dir/www"
    mkdir -p "$dir/rules" "$dir/www"
    : > "$dir/requests.log"
    : > "$dir/arrivals.log"
    python3 "$tools/faultserver.py" --host 127.0.0.2 --port 443 \
        --cert "$dir/server.pem" --key "$dir/server.key" \
        --root "$dir/www" --state "$dir" --pidfile "$pidfile" --bind-wait 120 \
        < /dev/null > "$dir/server.log" 2>&1 &
    server=$!
    i=0
    while [ -z "$(running_pid)" ] && [ $i -lt 1300 ] && kill -0 $server 2>/dev/null; do sleep 0.1; i=$((i + 1)); done
    [ -n "$(running_pid)" ] || { cat "$dir/server.log" >&2; echo "$0: the fault server did not start" >&2; exit 1; }
    echo "fault server $(running_pid) on https://127.0.0.2:443 serving $dir/www"
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *) usage ;;
esac
