#!/usr/bin/env python3
"""The publishing tool, run natively as a publisher runs it.

Usage: test_publish.py <tools/publish.py> <build's list-signing.key> <build's list-signing.pub.hex>
"""
import os
import subprocess
import sys
import tempfile
import unittest

PUBLISH = KEY = PUB_HEX = None


def publish(*args):
    return subprocess.run([sys.executable, PUBLISH] + list(args), capture_output=True)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def md5sum(path):
    return subprocess.run(["md5sum", path], check=True, capture_output=True).stdout.split()[0].decode()


def der_integer(value):
    value = value.lstrip(b"\x00") or b"\x00"
    if value[0] & 0x80:
        value = b"\x00" + value
    return b"\x02" + bytes([len(value)]) + value


def openssl_verifies(data_path, raw_signature, pub_pem):
    """Checks a raw r||s signature with openssl, independently of the tool's own conversion."""
    body = der_integer(raw_signature[:32]) + der_integer(raw_signature[32:])
    der = b"\x30" + bytes([len(body)]) + body
    with tempfile.NamedTemporaryFile(delete=False) as f:
        f.write(der)
    try:
        result = subprocess.run(["openssl", "dgst", "-sha256", "-verify", pub_pem, "-signature", f.name, data_path],
                                capture_output=True)
        return result.returncode == 0
    finally:
        os.unlink(f.name)


class Workspace(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.dir = self.temp.name
        self.pub_pem = os.path.join(self.dir, "pub.pem")
        subprocess.run(["openssl", "ec", "-in", KEY, "-pubout", "-out", self.pub_pem], check=True,
                       capture_output=True)

    def tearDown(self):
        self.temp.cleanup()

    def path(self, *parts):
        return os.path.join(self.dir, *parts)


class ListCommand(Workspace):
    def make_tree(self, top="pc"):
        data = self.path(top, "data")
        write(os.path.join(data, "Vorn.exe"), b"MZ" * 1000)
        write(os.path.join(data, "maps", "Big Map.res"), os.urandom(3 * 1048576 + 7))
        write(os.path.join(data, "maps", "a.res"), b"")
        write(os.path.join(data, "Zeta.cfg"), b"key=value\r\n")
        write(os.path.join(data, "config", "user.ini"), b"[user]\n")
        return data

    def test_lists_every_file_sorted_with_slashes_sizes_and_md5sum_digests(self):
        data = self.make_tree()
        result = publish("list", data)
        self.assertEqual(result.returncode, 0, result.stderr)
        out = result.stdout.decode("ascii")
        self.assertNotIn("\r", out)
        self.assertTrue(out.endswith("\n"))
        lines = out.split("\n")[:-1]
        names = ["Vorn.exe", "Zeta.cfg", "config/user.ini", "maps/Big Map.res", "maps/a.res"]
        self.assertEqual([l.split("|")[0] for l in lines], names)
        for line in lines:
            name, size, md5 = line.split("|")
            path = os.path.join(data, *name.split("/"))
            self.assertEqual(int(size), os.path.getsize(path))
            self.assertEqual(md5, md5sum(path))

    def test_default_files_carry_the_prefix_and_output_file_matches_stdout(self):
        data = self.make_tree()
        out = self.path("list.txt")
        result = publish("list", data, "--default", "config/user.ini", "-o", out)
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = read(out).decode().split("\n")
        self.assertIn("#defaut|config/user.ini|7|" + md5sum(os.path.join(data, "config", "user.ini")), lines)
        self.assertEqual(sum(l.startswith("#defaut|") for l in lines), 1)
        self.assertEqual(read(out), publish("list", data, "--default", "config/user.ini").stdout)

    def test_lists_the_launcher_or_windows_would_refuse_are_not_written(self):
        spoilers = {
            "no client": lambda data: os.unlink(os.path.join(data, "Vorn.exe")),
            "colon": lambda data: write(os.path.join(data, "a:b"), b"x"),
            "non-ascii": lambda data: write(os.path.join(data, "caf\u00e9.txt"), b"x"),
            "pipe": lambda data: write(os.path.join(data, "a|b"), b"x"),
            "too long": lambda data: write(os.path.join(data, "d" * 100, "f" * 100), b"x"),
            "comment-like": lambda data: write(os.path.join(data, "#notes"), b"x"),
            # Names the launcher accepts but Windows cannot hold: every start would fail or repeat.
            "star": lambda data: write(os.path.join(data, "maps", "a*.res"), b"x"),
            "quote": lambda data: write(os.path.join(data, 'say "hi".txt'), b"x"),
            "device": lambda data: write(os.path.join(data, "sounds", "Aux.ogg"), b"x"),
            "device folder": lambda data: write(os.path.join(data, "nul", "x.dat"), b"x"),
            "trailing dot": lambda data: write(os.path.join(data, "maps.", "x.dat"), b"x"),
            "trailing blank": lambda data: write(os.path.join(data, "readme "), b"x"),
            "case twins": lambda data: write(os.path.join(data, "maps", "A.res"), b"x"),
            "file and folder": lambda data: write(os.path.join(data, "Maps"), b"x"),
        }
        for label, spoil in spoilers.items():
            with self.subTest(label):
                data = self.make_tree(label)
                spoil(data)
                out = self.path(label + ".txt")
                write(out, b"previous list\n")
                result = publish("list", data, "-o", out)
                self.assertEqual(result.returncode, 1)
                self.assertIn(b"error", result.stderr)
                self.assertEqual(read(out), b"previous list\n")

    def test_names_windows_holds_apart_are_listed(self):
        data = self.path("d")
        for name in ("Vorn.exe", "console.txt", "com10.dat", "nul_x/a", "a.b.c", ".hidden", "maps/A.res",
                     "maps/A.res.bak", "Maps2/a.res"):
            write(os.path.join(data, *name.split("/")), b"x")
        result = publish("list", data)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(len(result.stdout.splitlines()), 9)

    def test_client_only_as_default_entry_or_in_a_subfolder_does_not_count(self):
        data = self.path("d")
        write(os.path.join(data, "bin", "Vorn.exe"), b"x")
        write(os.path.join(data, "vorn.EXE"), b"x")
        self.assertEqual(publish("list", data, "--default", "vorn.EXE").returncode, 1)
        self.assertEqual(publish("list", data).returncode, 0)
        self.assertEqual(publish("list", data, "--default", "missing.txt").returncode, 1)


class SignCommand(Workspace):
    def test_signature_is_64_raw_bytes_that_openssl_verifies(self):
        for i in range(12):
            listing = self.path(f"list{i}.txt")
            write(listing, b"Vorn.exe|%d|0123456789abcdef0123456789abcdef\n" % i)
            result = publish("sign", listing, "--key", KEY)
            self.assertEqual(result.returncode, 0, result.stderr)
            signature = read(listing + ".sig")
            self.assertEqual(len(signature), 64)
            self.assertTrue(openssl_verifies(listing, signature, self.pub_pem))
            other = self.path("other.txt")
            write(other, read(listing) + b"\n")
            self.assertFalse(openssl_verifies(other, signature, self.pub_pem))

    def test_bad_key_or_missing_file_writes_nothing(self):
        listing = self.path("list.txt")
        write(listing, b"x\n")
        sig = self.path("out.sig")
        write(sig, b"old")
        key384 = self.path("k384.pem")
        subprocess.run(["openssl", "ecparam", "-name", "secp384r1", "-genkey", "-noout", "-out", key384],
                       check=True, capture_output=True)
        for args in (["sign", listing, "--key", key384, "-o", sig],
                     ["sign", listing, "--key", listing, "-o", sig],
                     ["sign", self.path("missing.txt"), "--key", KEY, "-o", sig]):
            result = publish(*args)
            self.assertEqual(result.returncode, 1, args)
            self.assertEqual(read(sig), b"old")


class AllAndPubkeyCommands(Workspace):
    def test_all_writes_a_list_and_its_signature_next_to_the_data(self):
        published = self.path("files", "pc")
        write(os.path.join(published, "data", "Vorn.exe"), b"client")
        write(os.path.join(published, "data", "sub", "x.dat"), b"1234")
        result = publish("all", published, "--key", KEY)
        self.assertEqual(result.returncode, 0, result.stderr)
        listing = os.path.join(published, "filelist.txt")
        self.assertEqual(read(listing), publish("list", os.path.join(published, "data")).stdout)
        signature = read(listing + ".sig")
        self.assertEqual(len(signature), 64)
        self.assertTrue(openssl_verifies(listing, signature, self.pub_pem))
        self.assertEqual(sorted(os.listdir(published)), ["data", "filelist.txt", "filelist.txt.sig"])

    def test_pubkey_prints_the_key_the_build_trusts(self):
        result = publish("pubkey", "--key", KEY)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.decode().strip(), read(PUB_HEX).decode().strip())


if __name__ == "__main__":
    PUBLISH, KEY, PUB_HEX = sys.argv[1:4]
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
