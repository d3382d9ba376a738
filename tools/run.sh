#!/bin/sh
# Installs what is missing, builds Kestrum.exe, puts a real putty.exe
# next to it and starts it under Wine: on your display in a Wine virtual
# desktop, or, without a display, under Xvfb with a screenshot.
# On a host that runs no 32-bit code both are the x86_64 builds of the
# same sources (see wine-env.sh).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/win-build.sh Kestrum
. tools/wine-env.sh
build=$KESTRUM_WIN_BUILD
putty=$(tools/build-putty.sh)
cp "$putty" "$build/bin/putty.exe"

cd "$build/bin"
if [ -n "${DISPLAY:-}" ]; then
	exec "$WINELOADER" explorer /desktop=Kestrum,1280x800 Kestrum.exe
fi
wine_session_start 78 1280x800x24
trap wine_session_stop EXIT
"$WINELOADER" explorer /desktop=Kestrum,1280x800 Kestrum.exe </dev/null >/dev/null 2>&1 &
sleep 8
shot="$top/build/kestrum-screenshot.png"
import -window root "$shot"
echo "No display: Kestrum ran under Xvfb; screenshot saved to $shot"
