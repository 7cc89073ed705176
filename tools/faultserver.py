#!/usr/bin/env python3
"""A scriptable HTTPS server for download tests.

It serves the files below --root and misbehaves on purpose where a test asks it to. A test writes
rule files into <state>/rules/ (any name ending in ".rules"); each line is

    <url path> <mode> [arguments...]

Lines for the same path form a queue: every request to that path uses the next line, and the last
line stays in force. A rule file that changes starts its own queues over, not those of the other
files. The query string of a request is ignored when rules and files are looked up. Modes:

    normal              200, or 206 for a satisfiable "Range: bytes=N-" request
    status CODE         answers CODE with a short body
    range-status CODE   CODE to a Range request, normal otherwise
    ignore-range        200 with the whole file, also to a Range request
    always-206          206 with the whole file, also without a Range request
    no-length [EXTRA]   normal without Content-Length, then EXTRA more bytes (default 0; fewer
                        when negative), then closes
    short N             announces the full length, sends N bytes fewer, then closes
    cut OFFSET          announces the full length, stops once the file offset OFFSET is sent, closes
    wrong               the right length, but every byte inverted
    slow CHUNK MS       normal, in chunks of CHUNK bytes, pausing MS milliseconds before each
    endless KIND [MAX]  200 with the file and then filler bytes without end, chunked (KIND
                        "chunked"), ended by closing (KIND "close") or announcing a length of
                        KIND bytes (a number), until the client goes away or MAX body bytes
                        (default 1 GiB) are sent. The filler comes 64 KiB a millisecond: a
                        client that gives up the body may first read what is waiting (Wine's
                        WinINet does), and would never see its end at full speed
    redirect CODE URL   answers CODE with "Location: URL" and a short body
    stall OFFSET        announces the full length, sends up to the file offset OFFSET, then sends
                        nothing more and keeps the connection open until the client closes it

Every request is appended to <state>/requests.log, once answered, as one tab-separated line:
    path  range-header-or-"-"  status  body-bytes-sent
and its path to <state>/arrivals.log as soon as it arrives, so that a reader can tell when every
request it caused has been logged. Before that, its head (request line and header lines as they
came, then an empty line) goes to <state>/heads.log.

Besides the main HTTPS address, --https adds HTTPS listeners with certificates of their own and
--http plain HTTP listeners (port 80); all serve the same files and rules. Each connection to an
HTTPS listener is written to <state>/tls.log as "address<TAB>accepted" or "address<TAB>refused
<reason>" once its handshake has ended.
"""
import argparse
import errno
import http.server
import os
import signal
import socket
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

LOCK = threading.Lock()


class Rules:
    """The rule files of the state folder. Each file keeps its own queues, so that a test that
    writes its rules does not start the queues of another test's file over."""

    def __init__(self, folder):
        self.folder = folder
        self.files = {}  # name -> (text, {path: queue}, {path: requests used})

    def _load(self):
        try:
            names = sorted(n for n in os.listdir(self.folder) if n.endswith(".rules"))
        except FileNotFoundError:
            names = []
        files = {}
        for name in names:
            try:
                with open(os.path.join(self.folder, name), "r", encoding="utf-8", errors="replace") as f:
                    text = f.read()
            except OSError:
                continue
            known = self.files.get(name)
            if known and known[0] == text:
                files[name] = known
                continue
            queues = {}
            for line in text.splitlines():
                parts = line.split()
                if parts and not parts[0].startswith("#"):
                    queues.setdefault(parts[0], []).append(parts[1:] or ["normal"])
            files[name] = (text, queues, {})
        self.files = files

    def next_for(self, path):
        with LOCK:
            self._load()
            for name in sorted(self.files):
                _, queues, used = self.files[name]
                queue = queues.get(path)
                if queue:
                    index = used.get(path, 0)
                    used[path] = index + 1
                    return queue[min(index, len(queue) - 1)]
            return ["normal"]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "faultserver"

    def log_message(self, fmt, *args):
        pass

    def _record(self, status, sent):
        line = "%s\t%s\t%d\t%d\n" % (self.url_path, self.headers.get("Range", "-"), status, sent)
        with LOCK:
            with open(self.server.log_path, "a", encoding="utf-8") as f:
                f.write(line)

    def _send_head(self, status, headers):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()

    def _write(self, data):
        try:
            self.wfile.write(data)
            self.wfile.flush()
            return len(data)
        except OSError:
            return 0

    def _cut_connection(self):
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def _wait_for_client_close(self):
        self.connection.settimeout(None)
        try:
            while self.connection.recv(4096):
                pass
        except OSError:
            pass

    def _simple(self, status):
        body = ("%d\n" % status).encode()
        self._send_head(status, [("Content-Length", str(len(body))), ("Content-Type", "text/plain")])
        self._record(status, self._write(body))

    def _requested_start(self, size):
        value = self.headers.get("Range")
        if not value or not value.startswith("bytes=") or not value.endswith("-"):
            return None
        try:
            return int(value[len("bytes="):-1])
        except ValueError:
            return None

    def _endless(self, data, kind, limit):
        headers = [("Content-Type", "application/octet-stream")]
        if kind == "chunked":
            headers.append(("Transfer-Encoding", "chunked"))
        elif kind == "close":
            headers.append(("Connection", "close"))
        else:
            headers.append(("Content-Length", kind))
        self._send_head(200, headers)
        filler = b"\x5a" * 65536
        sent, piece = 0, data or filler
        while sent < limit:
            piece = piece[:limit - sent]
            framed = b"%x\r\n%s\r\n" % (len(piece), piece) if kind == "chunked" else piece
            if not self._write(framed):
                break
            sent += len(piece)
            piece = filler
            time.sleep(0.001)
        self._record(200, sent)
        self._cut_connection()

    def _redirect(self, code, location):
        body = b"moved\n"
        self._send_head(code, [("Location", location), ("Content-Length", str(len(body)))])
        self._record(code, self._write(body))

    def do_GET(self):
        self.url_path = urllib.parse.urlsplit(self.path).path
        head = [self.requestline] + ["%s: %s" % item for item in self.headers.items()]
        with LOCK:
            with open(self.server.heads_path, "a", encoding="utf-8") as f:
                f.write("\n".join(head) + "\n\n")
            with open(self.server.arrivals_path, "a", encoding="utf-8") as f:
                f.write(self.url_path + "\n")
        rule = self.server.rules.next_for(self.url_path)
        mode, args = rule[0], rule[1:]

        if mode == "status":
            return self._simple(int(args[0]))
        if mode == "redirect":
            return self._redirect(int(args[0]), args[1])
        local = os.path.join(self.server.root, self.url_path.lstrip("/"))
        try:
            with open(local, "rb") as f:
                data = f.read()
        except OSError:
            return self._simple(404)

        if mode == "endless":
            return self._endless(data, args[0], int(args[1]) if len(args) > 1 else 1 << 30)

        size = len(data)
        start = self._requested_start(size)
        if mode == "range-status" and start is not None:
            return self._simple(int(args[0]))
        if mode == "ignore-range":
            start = None
        if mode == "always-206" and start is None:
            start = 0
        if start is not None and start >= size:
            return self._simple(416)

        status = 200 if start is None else 206
        begin = start or 0
        body = data[begin:]
        headers = [("Content-Type", "application/octet-stream")]
        if status == 206:
            headers.append(("Content-Range", "bytes %d-%d/%d" % (begin, size - 1, size)))

        if mode == "no-length":
            extra = int(args[0]) if args else 0
            headers.append(("Connection", "close"))
            self._send_head(status, headers)
            sent = self._write(body + b"\x5a" * extra if extra >= 0 else body[:extra])
            self._record(status, sent)
            return self._cut_connection()

        headers.append(("Content-Length", str(len(body))))
        if mode == "wrong":
            body = bytes(b ^ 0xFF for b in body)
        if mode == "short":
            body = body[:max(0, len(body) - int(args[0]))]
        if mode in ("cut", "stall"):
            body = body[:max(0, int(args[0]) - begin)]
        self._send_head(status, headers)

        if mode == "slow":
            chunk, pause = int(args[0]), int(args[1]) / 1000.0
            sent = 0
            for i in range(0, len(body), chunk):
                time.sleep(pause)
                piece = self._write(body[i:i + chunk])
                if not piece:
                    break
                sent += piece
        else:
            sent = self._write(body)
        if mode == "stall":
            self._wait_for_client_close()
        self._record(status, sent)
        if mode in ("short", "cut"):
            self._cut_connection()


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    tls = None  # the TLS context of an HTTPS listener; None for plain HTTP

    def finish_request(self, request, client_address):
        # The handshake runs on the connection's own thread, so that a client that stalls or
        # refuses it holds up no other connection.
        if self.tls is None:
            return super().finish_request(request, client_address)
        try:
            secured = self.tls.wrap_socket(request, server_side=True)
        except OSError as error:
            return self._note_tls("refused %s" % (getattr(error, "reason", None) or error))
        self._note_tls("accepted")
        try:
            super().finish_request(secured, client_address)
        finally:
            self.shutdown_request(secured)

    def _note_tls(self, outcome):
        with LOCK:
            with open(self.tls_log_path, "a", encoding="utf-8") as f:
                f.write("%s\t%s\n" % (self.server_address[0], outcome))


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def listen(host, port, tls, options):
    # Another test run on this machine may still hold the address for a while.
    deadline = time.monotonic() + options.bind_wait
    while True:
        try:
            server = Server((host, port), Handler)
            break
        except OSError as error:
            if error.errno != errno.EADDRINUSE or time.monotonic() > deadline:
                raise
            time.sleep(0.5)
    server.tls = tls
    server.root = options.root
    server.rules = options.rules
    server.log_path = os.path.join(options.state, "requests.log")
    server.arrivals_path = os.path.join(options.state, "arrivals.log")
    server.heads_path = os.path.join(options.state, "heads.log")
    server.tls_log_path = os.path.join(options.state, "tls.log")
    return server


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--host", default="127.0.0.2")
    parser.add_argument("--port", type=int, default=443)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--https", nargs=3, action="append", default=[], metavar=("HOST", "CERT", "KEY"),
                        help="another HTTPS listener on --port with its own certificate")
    parser.add_argument("--http", action="append", default=[], metavar="HOST",
                        help="a plain HTTP listener on port 80")
    parser.add_argument("--root", required=True, help="folder whose files are served")
    parser.add_argument("--state", required=True, help="folder of rules/ and requests.log")
    parser.add_argument("--pidfile")
    parser.add_argument("--bind-wait", type=float, default=0, help="seconds to wait for a busy address")
    options = parser.parse_args()

    os.makedirs(options.root, exist_ok=True)
    os.makedirs(os.path.join(options.state, "rules"), exist_ok=True)
    options.rules = Rules(os.path.join(options.state, "rules"))

    servers = [listen(options.host, options.port, tls_context(options.cert, options.key), options)]
    for host, cert, key in options.https:
        servers.append(listen(host, options.port, tls_context(cert, key), options))
    for host in options.http:
        servers.append(listen(host, 80, None, options))

    if options.pidfile:
        with open(options.pidfile, "w") as f:
            f.write("%d\n" % os.getpid())
    stoppers = []

    def stop(*_):
        for server in servers:
            stoppers.append(threading.Thread(target=server.shutdown))
            stoppers[-1].start()
    signal.signal(signal.SIGTERM, stop)
    for server in servers[1:]:
        threading.Thread(target=server.serve_forever, args=(0.1,), daemon=True).start()
    try:
        servers[0].serve_forever(0.1)
    finally:
        for stopper in stoppers:
            stopper.join()
        for server in servers:
            server.server_close()
        if options.pidfile:
            try:
                os.remove(options.pidfile)
            except OSError:
                pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
