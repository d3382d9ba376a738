#!/bin/sh
# Builds the Windows putty.exe from Debian's source package with the
# project's MinGW toolchain, 32-bit (or 64-bit where the host runs only
# 64-bit code, see wine-env.sh); cached in build/putty-ARCH.  Prints its
# path.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/wine-env.sh"
arch=i686
[ "$WINEARCH" = win64 ] && arch=x86_64
out="$top/build/putty-$arch"
exe="$out/bin/putty.exe"
if [ -f "$exe" ]; then
	echo "$exe"
	exit 0
fi
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
mkdir -p "$out/src"
cd "$out/src"
if ! ls putty_*.orig.tar.* >/dev/null 2>&1; then
	if ! apt-cache showsrc putty 2>/dev/null | grep -q '^Package: putty'; then
		# Source packages from the same places as the binary ones.
		if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
			sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
				$SUDO tee /etc/apt/sources.list.d/kestrum-src.sources >/dev/null
		fi
		# a mirror caught mid-sync fails some index; the source may still come
		$SUDO apt-get update -q >&2 || true
	fi
	command -v dpkg-source >/dev/null || $SUDO apt-get install -y -q --no-install-recommends dpkg-dev >&2
	apt-get source --download-only putty >&2 || true
fi
tarball=$(ls putty_*.orig.tar.* | head -n 1)
rm -rf tree && mkdir tree
tar -xf "$tarball" -C tree --strip-components=1
sed "s/x86_64/$arch/g" tree/cmake/toolchain-mingw.cmake > tree/toolchain-$arch.cmake
cmake -S tree -B build -DCMAKE_TOOLCHAIN_FILE="$out/src/tree/toolchain-$arch.cmake" \
	-DCMAKE_BUILD_TYPE=Release -DCMAKE_EXE_LINKER_FLAGS=-static >&2
cmake --build build --target putty -j2 >&2
mkdir -p "$out/bin"
cp build/putty.exe "$exe"
echo "$exe"
