#!/bin/sh
# win-build.sh TARGET: installs what is missing, prepares the Wine prefix
# and builds TARGET in the Windows build that this machine runs (see
# wine-env.sh).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/install-deps.sh
. tools/wine-env.sh
tools/wine-prefix.sh
cmake -S . -B "$KESTRUM_WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$KESTRUM_WIN_TOOLCHAIN" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$KESTRUM_WIN_BUILD" --target "$1" -j"$(nproc 2>/dev/null || echo 2)" >&2
