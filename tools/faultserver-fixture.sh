#!/bin/sh
# The download tests' fault server (tools/faultserver.py) on https://127.0.0.2:443 with a
# certificate of the build's test CA, also on 127.0.0.3 to .5 with certificates a client must refuse
# (see make_certs), on 127.0.0.6 with the build's server certificate (another good host) and on
# http://127.0.0.2:80. It serves <build>/faultserver/www; tests write their rules into
# <build>/faultserver/rules/ and read the logs of <build>/faultserver (see tools/faultserver.py).
# Usage: faultserver-fixture.sh start|stop <build folder>
set -eu

usage() { echo "usage: $0 start|stop <build folder>" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
[ -d "$2" ] || { echo "$0: no build folder $2" >&2; exit 2; }
build=$(cd "$2" && pwd)
tools=$(cd "$(dirname "$0")" && pwd)
dir=$build/faultserver
certs=$build/certs
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

# Certificates of our own, made with `openssl ca` so that their dates can be set:
#   issue <name> <subjectAltName> <CA certificate> <CA key> <not before> <not after>
# writes $dir/<name>.pem and .key. Wine's WinINet matches the host against the certificate's DNS
# names only, so addresses are also written as DNS names.
issue() {
    work=$dir/issuing
    rm -rf "$work"
    mkdir -p "$work"
    : > "$work/index"
    od -An -N8 -tx1 /dev/urandom | tr -d ' \n' > "$work/serial"
    cat > "$work/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
database = $work/index
new_certs_dir = $work
serial = $work/serial
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
[ext]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = $2
CNF
    openssl req -new -newkey rsa:2048 -nodes -sha256 -subj "/CN=$1" \
        -keyout "$dir/$1.key" -out "$work/request.csr" 2>> "$dir/cert.log"
    openssl ca -batch -notext -config "$work/ca.cnf" -extensions ext -cert "$3" -keyfile "$4" \
        -startdate "$5" -enddate "$6" -in "$work/request.csr" -out "$dir/$1.pem" 2>> "$dir/cert.log"
    rm -rf "$work"
}

# Made again when the build's CA changed, or when it expires within a day (unless it is meant to).
current() {
    [ -f "$dir/$1.pem" ] && [ "$dir/$1.pem" -nt "$certs/ca.pem" ] &&
        { [ "${2:-}" = expired ] || openssl x509 -in "$dir/$1.pem" -noout -checkend 86400 > /dev/null 2>&1; }
}

# The fault server's own certificate, and those of the listeners that a client must refuse: one
# from a CA nobody trusts (127.0.0.3), one for another name (127.0.0.4), one expired (127.0.0.5).
make_certs() {
    for f in ca.pem ca.key; do
        [ -f "$certs/$f" ] || { echo "$0: $certs/$f is missing: configure the build with tests" >&2; exit 1; }
    done
    : > "$dir/cert.log"
    yesterday=$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)
    in30days=$(date -u -d '+30 days' +%Y%m%d%H%M%SZ)
    current server || issue server "DNS:127.0.0.2,IP:127.0.0.2" "$certs/ca.pem" "$certs/ca.key" "$yesterday" "$in30days"
    current rogue || {
        openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days 3650 -subj "/O=Velmora Test/CN=Rogue CA" \
            -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
            -keyout "$dir/rogue-ca.key" -out "$dir/rogue-ca.pem" 2>> "$dir/cert.log"
        issue rogue "DNS:127.0.0.3,IP:127.0.0.3" "$dir/rogue-ca.pem" "$dir/rogue-ca.key" "$yesterday" "$in30days"
        # With its CA, so that the client sees a whole chain that ends at a root it does not trust.
        cat "$dir/rogue-ca.pem" >> "$dir/rogue.pem"
    }
    current othername || issue othername "DNS:elsewhere.invalid" "$certs/ca.pem" "$certs/ca.key" "$yesterday" "$in30days"
    current expired expired ||
        issue expired "DNS:127.0.0.5,IP:127.0.0.5" "$certs/ca.pem" "$certs/ca.key" 20200101000000Z 20200201000000Z
}

start() {
    mkdir -p "$dir"
    make_certs || { cat "$dir/cert.log" >&2; echo "$0: could not make the certificates" >&2; exit 1; }
    stop
    rm -rf "$dir/rules" "$dir/www"
    mkdir -p "$dir/rules" "$dir/www"
    for log in requests arrivals heads tls; do : > "$dir/$log.log"; done
    python3 "$tools/faultserver.py" --host 127.0.0.2 --port 443 \
        --cert "$dir/server.pem" --key "$dir/server.key" \
        --https 127.0.0.3 "$dir/rogue.pem" "$dir/rogue.key" \
        --https 127.0.0.4 "$dir/othername.pem" "$dir/othername.key" \
        --https 127.0.0.5 "$dir/expired.pem" "$dir/expired.key" \
        --https 127.0.0.6 "$certs/server.pem" "$certs/server.key" \
        --http 127.0.0.2 \
        --root "$dir/www" --state "$dir" --pidfile "$pidfile" --bind-wait 120 \
        < /dev/null > "$dir/server.log" 2>&1 &
    server=$!
    i=0
    while [ -z "$(running_pid)" ] && [ $i -lt 1300 ] && kill -0 $server 2>/dev/null; do sleep 0.1; i=$((i + 1)); done
    [ -n "$(running_pid)" ] || { cat "$dir/server.log" >&2; echo "$0: the fault server did not start" >&2; exit 1; }
    echo "fault server $(running_pid) on https://127.0.0.2 to .6 and http://127.0.0.2 serving $dir/www"
}

case "$action" in
    start) start ;;
    stop) stop ;;
    *) usage ;;
esac
