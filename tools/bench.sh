#!/bin/sh
# Builds the benchmarks (bench/) and runs them under Wine, then prints one
# table: figure, target, measured, ratio to the peer, target met.  The
# timings are the best of several rounds; a peer (pugixml) is measured in
# the same rounds.  Footprint: Kestrum.exe's size from the i686 product
# build.
#   KESTRUM_BENCH_BUILD   the Windows build the benchmarks run from
#                         (default build/bench-ARCH)
#   KESTRUM_BENCH_I686    the i686 build measured for size where that is
#                         not the same one (default build/bench-i686)
#   KESTRUM_BENCH_PREFIX  a Wine prefix other than the project's own
#   KESTRUM_BENCH_JOBS    build jobs (default: the processors)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/install-deps.sh
. tools/wine-env.sh
tools/wine-prefix.sh
if [ -n "${KESTRUM_BENCH_PREFIX:-}" ]; then
	[ -d "$KESTRUM_BENCH_PREFIX" ] || cp -a "$WINEPREFIX" "$KESTRUM_BENCH_PREFIX"
	WINEPREFIX=$KESTRUM_BENCH_PREFIX
fi
arch=i686
[ "$WINEARCH" = win64 ] && arch=x86_64
build=${KESTRUM_BENCH_BUILD:-$top/build/bench-$arch}
jobs=${KESTRUM_BENCH_JOBS:-$(nproc 2>/dev/null || echo 2)}

# pugixml, the reader's peer, from Debian's source package into the build.
if [ ! -f "$build/pugixml/src/pugixml.cpp" ]; then
	mkdir -p "$build/pugixml-package"
	(
		cd "$build/pugixml-package"
		if ! ls pugixml_*.orig.tar.* >/dev/null 2>&1; then
			SUDO=
			[ "$(id -u)" -eq 0 ] || SUDO=sudo
			if ! apt-cache showsrc pugixml 2>/dev/null | grep -q '^Package: pugixml'; then
				# source packages from the same places as the binary ones
				if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
					sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
						$SUDO tee /etc/apt/sources.list.d/kestrum-src.sources >/dev/null
				fi
				$SUDO apt-get update -q >&2 || true
			fi
			apt-get source --download-only pugixml >&2
		fi
	)
	rm -rf "$build/pugixml" && mkdir -p "$build/pugixml"
	tar -xf "$(ls "$build"/pugixml-package/pugixml_*.orig.tar.* | head -n 1)" -C "$build/pugixml" --strip-components=1
fi

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$KESTRUM_WIN_TOOLCHAIN" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target benchmarks -j"$jobs" >&2
if [ "$arch" = i686 ]; then
	product=$build
else
	product=${KESTRUM_BENCH_I686:-$top/build/bench-i686}
	cmake -S . -B "$product" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build "$product" --target Kestrum -j"$jobs" >&2
fi

wine_session_start 79 1280x1024x24
out=$(mktemp -d)
trap 'wine_session_stop; rm -rf "$out"' EXIT

status=0
for b in bench_xml bench_config bench_start bench_ui; do
	echo "== $b" >&2
	if ! "$WINELOADER" "$build/bench/$b.exe" </dev/null >"$out/raw" 2>&1; then
		echo "$b failed" >&2
		status=1
	fi
	tr -d '\r' <"$out/raw" >"$out/$b"
	grep -v '^ROW' "$out/$b" >&2 || true
	grep '^ROW' "$out/$b" >>"$out/rows" || true
done

kb() { echo $((($(stat -c %s "$1") + 1023) / 1024)); }
size=$(kb "$product/bin/Kestrum.exe")
printf 'ROW\tKestrum.exe size, i686 product build\t<= 600 KB\t%s KB\t\t%s\n' "$size" \
	"$([ "$size" -le 600 ] && echo yes || echo NO)" >>"$out/rows"
if [ "$arch" = x86_64 ]; then
	printf 'ROW\tKestrum.exe size, x86_64 build (runs the tests)\t\t%s KB\t\t\n' "$(kb "$build/bin/Kestrum.exe")" >>"$out/rows"
fi

echo
echo "The $arch Windows build under $WINEARCH $("$WINELOADER" --version); $(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) processors, load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
echo
awk -F '\t' 'BEGIN { print "| Figure | Target | Measured | Ratio to peer | Met |"; print "|---|---|---|---|---|" }
	{ printf "| %s | %s | %s | %s | %s |\n", $2, $3, $4, $5, $6 }' "$out/rows"
exit $status
