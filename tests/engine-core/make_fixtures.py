#!/usr/bin/env python3
"""Makes the signed lists and reference digests that the engine-core tests read under Wine.

Runs natively at build time: a Windows test program cannot call python or openssl itself.
Every signature is made by tools/publish.py, as a publisher would make it.
"""
import argparse
import base64
import os
import subprocess
import sys

LIST_SIZE_LIMIT = 268435456


def run(*args, **kwargs):
    return subprocess.run(list(args), check=True, capture_output=True, **kwargs).stdout


def publish(args, *rest):
    return run(sys.executable, args.publish, *rest)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--publish", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    out = args.out
    os.makedirs(out, exist_ok=True)

    # A small published tree and its list.
    tree = os.path.join(out, "tree")
    os.makedirs(os.path.join(tree, "data", "maps"), exist_ok=True)
    write(os.path.join(tree, "Vorn.exe"), b"MZ" + bytes(range(256)) * 40)
    write(os.path.join(tree, "data", "maps", "Big Map.res"), os.urandom(70000))
    write(os.path.join(tree, "readme.txt"), b"Velmora World\r\n")
    publish(args, "list", tree, "-o", os.path.join(out, "list.txt"))
    publish(args, "sign", os.path.join(out, "list.txt"), "--key", args.key, "-o", os.path.join(out, "list.sig"))

    # The same signature as openssl gives it (DER) and as Base64 text: neither may be accepted.
    der = run("openssl", "dgst", "-sha256", "-sign", args.key, "-binary", os.path.join(out, "list.txt"))
    write(os.path.join(out, "list.der"), der)
    with open(os.path.join(out, "list.sig"), "rb") as f:
        raw = f.read()
    write(os.path.join(out, "list.b64"), base64.b64encode(raw) + b"\n")

    # A signature in which r or s has leading zero bytes, so the tool must pad it to 32 bytes.
    short_list = os.path.join(out, "short.txt")
    for attempt in range(5000):
        write(short_list, b"Vorn.exe|%d|0123456789abcdef0123456789abcdef\n" % attempt)
        sig = os.path.join(out, "short.sig")
        publish(args, "sign", short_list, "--key", args.key, "-o", sig)
        with open(sig, "rb") as f:
            raw = f.read()
        if raw[0] == 0 or raw[32] == 0:
            break
    else:
        sys.exit("no signature with a short integer turned up")

    # A second key pair: its signatures must not pass for the built-in key's.
    other_key = os.path.join(out, "other.key")
    run("openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", other_key)
    write(os.path.join(out, "other.pub.hex"), publish(args, "pubkey", "--key", other_key))
    publish(args, "sign", os.path.join(out, "list.txt"), "--key", other_key, "-o", os.path.join(out, "other.sig"))

    # The largest list that can be verified: that many zero bytes (a sparse file while signing).
    zeros = os.path.join(out, "zeros.tmp")
    with open(zeros, "wb") as f:
        f.truncate(LIST_SIZE_LIMIT)
    publish(args, "sign", zeros, "--key", args.key, "-o", os.path.join(out, "zeros.sig"))
    os.unlink(zeros)

    # A file of several MiB with a partial last block, and md5sum's digest of it.
    random_file = os.path.join(out, "random.bin")
    write(random_file, os.urandom(5 * 1048576 + 123))
    write(os.path.join(out, "random.md5"), run("md5sum", random_file).split()[0])


if __name__ == "__main__":
    main()
