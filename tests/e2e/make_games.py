#!/usr/bin/env python3
"""Publishes the end-to-end tests' games with tools/publish.py, signed with the build's test key.

  make_games.py <build folder>

Writes <build>/e2e/games/<name>/files/pc/ (data/, filelist.txt, filelist.txt.sig, Vers.txt) for:
  v1          the stand-in client, this build's launcher and a few data files in sub-folders
  v2          v1 with one file changed and one added
  selfupdate  v2 listing the other launcher build (<build>/e2e-next/Velmora World.exe)
  badsig      v2 whose list carries the v1 list's signature
  invalid     a correctly signed list without the game client
  big         v1 with a large file, for interrupted downloads
and <build>/e2e/games/manifest.txt: "<game> <listed name>" for every file a game lists.
"""
import os
import random
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
PUBLISH = os.path.join(HERE, "..", "..", "tools", "publish.py")


def blob(seed, size):
    return random.Random(seed).randbytes(size)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def publish(pc, key, allow_no_client=False):
    if allow_no_client:
        subprocess.run([sys.executable, PUBLISH, "list", os.path.join(pc, "data"), "--allow-no-client",
                        "-o", os.path.join(pc, "filelist.txt")], check=True)
        subprocess.run([sys.executable, PUBLISH, "sign", os.path.join(pc, "filelist.txt"), "--key", key,
                        "-o", os.path.join(pc, "filelist.txt.sig")], check=True)
    else:
        subprocess.run([sys.executable, PUBLISH, "all", pc, "--key", key], check=True)


def make_game(games, name, files, version, key, allow_no_client=False):
    pc = os.path.join(games, name, "files", "pc")
    shutil.rmtree(os.path.join(games, name), ignore_errors=True)
    for listed, data in files.items():
        write(os.path.join(pc, "data", *listed.split("/")), data)
    write(os.path.join(pc, "Vers.txt"), f"V.{version} test\r\nVelmora World\r\n1048576\r\n".encode())
    publish(pc, key, allow_no_client)
    return pc


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    key = os.path.join(build, "keys", "list-signing.key")
    with open(os.path.join(build, "bin", "Vorn.exe"), "rb") as f:
        client = f.read()
    with open(os.path.join(build, "bin", "Velmora World.exe"), "rb") as f:
        launcher = f.read()
    with open(os.path.join(build, "e2e-next", "Velmora World.exe"), "rb") as f:
        next_launcher = f.read()
    if launcher == next_launcher:
        sys.exit("the two launcher builds are identical: the self-update test needs them to differ")

    games = os.path.join(build, "e2e", "games")
    os.makedirs(games, exist_ok=True)
    v1 = {
        "Vorn.exe": client,
        "Velmora World.exe": launcher,
        "maps/plains.dat": blob(1, 200 * 1024),
        "maps/hills.dat": blob(2, 300 * 1024),
        "sounds/wind.ogg": blob(3, 100 * 1024),
        "text/read me.txt": b"Welcome to Velmora World.\r\n",
    }
    v2 = dict(v1)
    v2["maps/hills.dat"] = blob(4, 310 * 1024)
    v2["sounds/rain.ogg"] = blob(5, 120 * 1024)
    selfupdate = dict(v2)
    selfupdate["Velmora World.exe"] = next_launcher
    big = dict(v1)
    big["big.bin"] = blob(6, 6 * 1024 * 1024)
    invalid = {k: v for k, v in v1.items() if k != "Vorn.exe"}

    manifest = []
    for name, files, version in (("v1", v1, "1.0.1"), ("v2", v2, "1.0.2"), ("selfupdate", selfupdate, "1.0.3"),
                                 ("big", big, "1.0.4")):
        make_game(games, name, files, version, key)
        manifest += [f"{name} {listed}" for listed in sorted(files)]
    make_game(games, "invalid", invalid, "1.0.5", key, allow_no_client=True)
    manifest += [f"invalid {listed}" for listed in sorted(invalid)]

    # The v2 game with the v1 list's signature: well formed, but not this list's.
    badsig = make_game(games, "badsig", v2, "1.0.2", key)
    shutil.copyfile(os.path.join(games, "v1", "files", "pc", "filelist.txt.sig"),
                    os.path.join(badsig, "filelist.txt.sig"))
    manifest += [f"badsig {listed}" for listed in sorted(v2)]

    with open(os.path.join(games, "manifest.txt"), "w", newline="\n") as f:
        f.write("\n".join(manifest) + "\n")
    print(f"games published in {games}")


if __name__ == "__main__":
    main()
