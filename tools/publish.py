#!/usr/bin/env python3
"""Publishing tool for the Velmora World game server.

The launcher downloads files/pc/filelist.txt and files/pc/filelist.txt.sig, checks the list's
ECDSA P-256 signature with the public key built into it, then fetches files/pc/data/<name> for
every listed file that is missing or differs.

  publish.py list <data folder> [-o FILE] [--default NAME]...
      Writes the file list of a folder tree: one "name|size|md5" line per file, names with "/",
      sorted, LF line ends. --default marks a file as installed only when it is missing.
  publish.py sign <file> --key KEY.pem [-o FILE.sig]
      Signs the whole file (SHA-256, ECDSA P-256) into the 64-byte raw form r||s.
  publish.py all <published folder> --key KEY.pem [--default NAME]...
      Lists <published folder>/data and writes filelist.txt and filelist.txt.sig next to it.
  publish.py pubkey --key KEY.pem
      Prints the public key as the 128 hex digits a release build is configured with
      (-DVELMORA_PUBLIC_KEY=...).

A key pair can be made with: openssl ecparam -name prime256v1 -genkey -noout -out KEY.pem
Needs python3 and the openssl command.
"""

import argparse
import hashlib
import os
import subprocess
import sys
import tempfile

MAX_NAME_LENGTH = 160
MAX_FILE_SIZE = 0xFFFFFFFF
COORDINATE_BYTES = 32
CLIENT_NAME = "Vorn.exe"


class PublishError(Exception):
    pass


def check_list_name(name):
    """Refuses a name that the launcher would refuse (which would make it refuse the whole list), or that
    Windows cannot hold."""
    if not 1 <= len(name) <= MAX_NAME_LENGTH:
        raise PublishError(f"{name!r}: a listed name must have 1 to {MAX_NAME_LENGTH} characters")
    for ch in name:
        if not 0x20 <= ord(ch) <= 0x7E:
            raise PublishError(f"{name!r}: only printable ASCII characters are allowed in a listed name")
    if "\\" in name or ":" in name or "|" in name:
        raise PublishError(f"{name!r}: a listed name may not hold '\\', ':' or '|'")
    if name.startswith("#"):
        raise PublishError(f"{name!r}: a listed name may not begin with '#'")
    if any(segment in ("", ".", "..") for segment in name.split("/")):
        raise PublishError(f"{name!r}: empty, '.' and '..' folder names are not allowed")
    check_windows_name(name)


# Windows cannot hold these names as written; the launcher would accept the entry and then fail to
# download it (or write it under another name) on every start.
WINDOWS_FORBIDDEN = '<>"?*'
WINDOWS_DEVICES = {"con", "prn", "aux", "nul"} | {f"{port}{n}" for port in ("com", "lpt") for n in range(1, 10)}


def check_windows_name(name):
    for ch in WINDOWS_FORBIDDEN:
        if ch in name:
            raise PublishError(f"{name!r}: Windows does not allow {ch!r} in a file name")
    for segment in name.split("/"):
        if segment.endswith((".", " ")):
            raise PublishError(f"{name!r}: Windows drops a dot or blank at the end of a name ({segment!r})")
        if segment.split(".")[0].rstrip(" ").lower() in WINDOWS_DEVICES:
            raise PublishError(f"{name!r}: {segment!r} is a device name on Windows")


def check_case_collisions(names):
    """Refuses names that are one file on Windows, where names do not differ by letter case."""
    files = {}
    folders = {}
    for name in names:
        parts = name.split("/")
        for i in range(1, len(parts)):
            folders.setdefault("/".join(parts[:i]).lower(), name)
    for name in names:
        key = name.lower()
        if key in files:
            raise PublishError(f"{files[key]!r} and {name!r} are the same file on Windows")
        if key in folders:
            raise PublishError(f"{name!r} and the folder of {folders[key]!r} are the same name on Windows")
        files[key] = name


def file_md5(path):
    digest = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def collect_files(folder):
    if not os.path.isdir(folder):
        raise PublishError(f"{folder}: not a folder")
    names = []
    for root, dirs, files in os.walk(folder, followlinks=False):
        dirs.sort()
        for f in files:
            path = os.path.join(root, f)
            if not os.path.isfile(path):
                continue
            names.append(os.path.relpath(path, folder).replace(os.sep, "/"))
    return sorted(names, key=os.fsencode)


def build_list(folder, default_names=(), require_client=True):
    """Returns the file list of `folder` as bytes."""
    names = collect_files(folder)
    defaults = set(default_names)
    unknown = defaults.difference(names)
    if unknown:
        raise PublishError("--default names not found in the folder: " + ", ".join(sorted(unknown)))
    for name in names:
        check_list_name(name)
    check_case_collisions(names)
    lines = []
    for name in names:
        path = os.path.join(folder, *name.split("/"))
        size = os.path.getsize(path)
        if size > MAX_FILE_SIZE:
            raise PublishError(f"{name}: files of 4 GiB and more cannot be listed")
        prefix = "#defaut|" if name in defaults else ""
        lines.append(f"{prefix}{name}|{size}|{file_md5(path)}\n")
    if require_client and not any(n.lower() == CLIENT_NAME.lower() and n not in defaults for n in names):
        raise PublishError(f"{folder}: no top-level {CLIENT_NAME}; the launcher refuses a list without it "
                           "(use --allow-no-client to write it anyway)")
    return "".join(lines).encode("ascii")


def run_openssl(args, data=None):
    try:
        result = subprocess.run(["openssl"] + args, input=data, capture_output=True)
    except FileNotFoundError:
        raise PublishError("the openssl command is needed")
    if result.returncode != 0:
        message = result.stderr.decode(errors="replace").strip()
        raise PublishError(f"openssl {args[0]} failed: {message}")
    return result.stdout


def check_p256_key(key):
    if not os.path.isfile(key):
        raise PublishError(f"{key}: key file not found")
    text = run_openssl(["ec", "-in", key, "-noout", "-text"]).decode(errors="replace")
    if "prime256v1" not in text and "P-256" not in text:
        raise PublishError(f"{key}: not an ECDSA P-256 (prime256v1) key")


def read_der_length(der, pos):
    first = der[pos]
    pos += 1
    if first < 0x80:
        return first, pos
    count = first & 0x7F
    if count == 0 or count > 2 or pos + count > len(der):
        raise PublishError("unexpected signature encoding from openssl")
    return int.from_bytes(der[pos:pos + count], "big"), pos + count


def der_to_raw(der):
    """ECDSA-Sig-Value ::= SEQUENCE { r INTEGER, s INTEGER } -> r||s, each 32 bytes big-endian."""
    try:
        if der[0] != 0x30:
            raise PublishError("unexpected signature encoding from openssl")
        length, pos = read_der_length(der, 1)
        if pos + length != len(der):
            raise PublishError("unexpected signature encoding from openssl")
        raw = b""
        for _ in range(2):
            if der[pos] != 0x02:
                raise PublishError("unexpected signature encoding from openssl")
            length, pos = read_der_length(der, pos + 1)
            value = der[pos:pos + length].lstrip(b"\x00")
            pos += length
            if len(value) > COORDINATE_BYTES:
                raise PublishError("signature integer longer than 32 bytes: is the key P-256?")
            raw += value.rjust(COORDINATE_BYTES, b"\x00")
        if pos != len(der):
            raise PublishError("unexpected signature encoding from openssl")
        return raw
    except IndexError:
        raise PublishError("unexpected signature encoding from openssl")


def sign_bytes(data, key):
    check_p256_key(key)
    der = run_openssl(["dgst", "-sha256", "-sign", key, "-binary"], data)
    return der_to_raw(der)


def sign_file(path, key):
    check_p256_key(key)
    if not os.path.isfile(path):
        raise PublishError(f"{path}: file not found")
    der = run_openssl(["dgst", "-sha256", "-sign", key, "-binary", path])
    return der_to_raw(der)


def public_key_hex(key):
    check_p256_key(key)
    der = run_openssl(["ec", "-in", key, "-pubout", "-outform", "DER"])
    # A P-256 SubjectPublicKeyInfo ends with the uncompressed point 04 || X || Y.
    point = der[-(1 + 2 * COORDINATE_BYTES):]
    if point[0] != 0x04:
        raise PublishError(f"{key}: unexpected public key encoding")
    return point[1:].hex()


def write_atomically(path, data):
    """Writes the whole file or leaves the old one untouched."""
    folder = os.path.dirname(os.path.abspath(path))
    fd, temp = tempfile.mkstemp(dir=folder, prefix=".publish-")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.chmod(temp, 0o644)
        os.replace(temp, path)
    except BaseException:
        if os.path.exists(temp):
            os.unlink(temp)
        raise


def write_output(path, data):
    if path is None or path == "-":
        sys.stdout.buffer.write(data)
        sys.stdout.buffer.flush()
    else:
        write_atomically(path, data)


def command_list(args):
    write_output(args.output, build_list(args.folder, args.default, not args.allow_no_client))


def command_sign(args):
    output = args.output if args.output else args.file + ".sig"
    write_output(output, sign_file(args.file, args.key))


def command_all(args):
    data_folder = os.path.join(args.folder, "data")
    listing = build_list(data_folder, args.default, not args.allow_no_client)
    signature = sign_bytes(listing, args.key)
    # The signature goes first: a list is never published without the signature that matches it
    # for longer than the gap between the two replacements.
    write_atomically(os.path.join(args.folder, "filelist.txt.sig"), signature)
    write_atomically(os.path.join(args.folder, "filelist.txt"), listing)


def command_pubkey(args):
    print(public_key_hex(args.key))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)

    p = commands.add_parser("list", help="write the file list of a folder tree")
    p.add_argument("folder")
    p.add_argument("-o", "--output", help="output file (default: standard output)")
    p.add_argument("--default", action="append", default=[], metavar="NAME",
                   help="install NAME only when it is missing (repeatable)")
    p.add_argument("--allow-no-client", action="store_true", help=f"allow a list without {CLIENT_NAME}")
    p.set_defaults(run=command_list)

    p = commands.add_parser("sign", help="sign a file into the 64-byte raw r||s form")
    p.add_argument("file")
    p.add_argument("--key", required=True, help="ECDSA P-256 private key (PEM)")
    p.add_argument("-o", "--output", help="signature file (default: FILE.sig)")
    p.set_defaults(run=command_sign)

    p = commands.add_parser("all", help="write filelist.txt and filelist.txt.sig for FOLDER/data")
    p.add_argument("folder")
    p.add_argument("--key", required=True, help="ECDSA P-256 private key (PEM)")
    p.add_argument("--default", action="append", default=[], metavar="NAME",
                   help="install NAME only when it is missing (repeatable)")
    p.add_argument("--allow-no-client", action="store_true", help=f"allow a list without {CLIENT_NAME}")
    p.set_defaults(run=command_all)

    p = commands.add_parser("pubkey", help="print the public key as 128 hex digits (X then Y)")
    p.add_argument("--key", required=True, help="ECDSA P-256 private key (PEM)")
    p.set_defaults(run=command_pubkey)

    args = parser.parse_args(argv)
    try:
        args.run(args)
    except (PublishError, OSError) as e:
        print(f"publish.py: error: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
