#!/bin/sh
# Installs what is missing, builds both flavours and runs every test:
# the Windows build under Wine, the native build with the sanitizers.
# Exits non-zero when any test of either flavour fails.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/tools/install-deps.sh" || exit 1
"$top/tools/wine-prefix.sh" || exit 1

export WINEPREFIX="$top/build/wine" WINEARCH=win32 WINEDEBUG=-all
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null &&
	cmake --build build/win -j"$jobs" || exit 1
cmake -S . -B build/native -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
	-DCMAKE_BUILD_TYPE=Debug >/dev/null &&
	cmake --build build/native -j"$jobs" || exit 1

# A warm wineserver, started away from CTest's pipes, so that Wine's
# service processes cannot keep CTest waiting.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
Xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
	export DISPLAY=:77
	Xvfb :77 -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
	Xvfb_pid=$!
fi

status=0
echo "== Windows build under Wine"
(cd build/win && ctest --output-on-failure --timeout 600) || status=1
echo "== Native build with sanitizers"
(cd build/native && ctest --output-on-failure --timeout 600) || status=1

wineserver -k 2>/dev/null
[ -n "$Xvfb_pid" ] && kill "$Xvfb_pid" 2>/dev/null
[ $status -eq 0 ] && echo "All tests of both flavours passed." || echo "Some tests failed."
exit $status
