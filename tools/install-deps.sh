#!/bin/sh
# Installs what building and testing need on a Debian 12 machine (as root), and nothing when all is
# there. 64-bit only: the 32-bit programs are cross-compiled, never run (no i386 architecture).
#   compilers:  MinGW-w64 -posix g++ for i686 and x86_64 (GoogleTest needs -posix), mingw-w64-tools
#   tests:      googletest sources, wine + wine64 (with GnuTLS for its TLS and BCrypt), Xvfb, xauth,
#               nginx, openssl, python3 (test servers, publishing tool), flock (util-linux)
#   other:      clang + compiler-rt (fuzz target), imagemagick (artwork)
set -e
PKGS="cmake make util-linux g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools googletest
      wine wine64 libgnutls30 xvfb xauth x11-utils nginx-light openssl python3 clang libclang-rt-14-dev imagemagick"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages:$missing. Run tools/install-deps.sh as root (or install them)." >&2
  exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends $missing < /dev/null
