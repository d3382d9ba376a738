#!/bin/sh
# Installs the Debian packages the build and the tests need; does nothing
# when they are all present already.
set -eu

# Both MinGW targets and both Wines: the product is 32-bit, but some hosts
# run no 32-bit code, and the tests then run a 64-bit build (wine-env.sh).
PKGS="g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
wine wine32:i386 wine64 xvfb xauth fonts-nanum imagemagick xdotool cmake make
clang-14 libclang-rt-14-dev googletest dpkg-dev openssh-server"

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

missing=
for p in $PKGS; do
	dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -n "$missing" ] || exit 0

echo "installing:$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
	$SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails one index now and then; the install
# itself tells whether what we need could be had.
for try in 1 2 3; do
	$SUDO apt-get update -q && break
	sleep 5
done
$SUDO apt-get install -y -q --no-install-recommends $missing
