#!/bin/sh
# Runs a Windows program under the project's own 32-bit Wine prefix.
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$top/build/wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
