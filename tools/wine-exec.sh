#!/bin/sh
# wine-exec.sh ARCH PROGRAM [ARGS]: runs a Windows program in the project's
# own Wine prefix for ARCH (win32 or win64); CTest's emulator.
WINEARCH=$1
shift
. "$(dirname "$0")/wine-env.sh"
exec "$WINELOADER" "$@"
