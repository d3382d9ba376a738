#!/bin/sh
# Installs what is missing, builds both flavours and runs every test:
# the Windows build under Wine, the native build with the sanitizers.
# Exits non-zero when any test of either flavour fails.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/tools/install-deps.sh" || exit 1
. "$top/tools/wine-env.sh"
"$top/tools/wine-prefix.sh" || exit 1
jobs=$(nproc 2>/dev/null || echo 2)

# The product is the i686 build.  Where this machine runs only 64-bit
# code, the tests run from an x86_64 build of the same sources and the
# i686 product is only inspected.
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null || exit 1
if [ "$WINEARCH" = win32 ]; then
	cmake --build build/win -j"$jobs" || exit 1
else
	cmake --build build/win --target Kestrum -j"$jobs" || exit 1
	cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null &&
		cmake --build build/win64 -j"$jobs" || exit 1
fi
cmake -S . -B build/native -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
	-DCMAKE_BUILD_TYPE=Debug >/dev/null &&
	cmake --build build/native -j"$jobs" || exit 1

wine_session_start 77 1280x800x24

status=0
# Window tests drive real input and focus under Wine on a shared machine:
# a suite that fails is run once more before it counts as failed.
if [ "$WINEARCH" = win32 ]; then
	echo "== Windows build (i686) under 32-bit Wine"
	(cd build/win && ctest --output-on-failure --timeout 600 --repeat until-pass:2) || status=1
else
	echo "== Windows product (i686): inspected; this machine runs no 32-bit code"
	(cd build/win && ctest --output-on-failure -R '^product\.') || status=1
	echo "== Windows build (x86_64) under 64-bit Wine"
	(cd build/win64 && ctest --output-on-failure --timeout 600 --repeat until-pass:2) || status=1
fi
echo "== Native build with sanitizers"
(cd build/native && ctest --output-on-failure --timeout 600) || status=1

wine_session_stop
[ $status -eq 0 ] && echo "All tests of both flavours passed." || echo "Some tests failed."
exit $status
