#!/bin/sh
# Installs what building and testing need on a Debian machine (run as root).
set -e
PKGS="cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools googletest
      wine wine64 libgnutls30 xvfb xauth x11-utils nginx-light openssl python3 clang libclang-rt-14-dev imagemagick"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends $missing
