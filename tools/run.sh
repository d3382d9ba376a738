#!/bin/sh
# Installs what is missing, builds Kestrum.exe, puts a real putty.exe
# next to it and starts it under Wine: on your display in a Wine virtual
# desktop, or, without a display, under Xvfb with a screenshot.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/install-deps.sh
tools/wine-prefix.sh
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win --target Kestrum -j"$(nproc 2>/dev/null || echo 2)"
putty=$(tools/build-putty.sh)
cp "$putty" build/win/bin/putty.exe

export WINEPREFIX="$top/build/wine" WINEARCH=win32 WINEDEBUG=-all
cd build/win/bin
if [ -n "${DISPLAY:-}" ]; then
	exec wine explorer /desktop=Kestrum,1280x800 Kestrum.exe
fi
export DISPLAY=:78
Xvfb :78 -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
sleep 1
wine explorer /desktop=Kestrum,1280x800 Kestrum.exe </dev/null >/dev/null 2>&1 &
sleep 8
shot="$top/build/kestrum-screenshot.png"
import -window root "$shot"
echo "No display: Kestrum ran under Xvfb; screenshot saved to $shot"
