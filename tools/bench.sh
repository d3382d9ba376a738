#!/bin/sh
# Builds the benchmarks and runs them under Wine; prints their figures.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/install-deps.sh
. tools/wine-env.sh
tools/wine-prefix.sh
build=$KESTRUM_WIN_BUILD
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$KESTRUM_WIN_TOOLCHAIN" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" --target bench_config -j2 >/dev/null
echo "== ConfigSave / ConfigLoad (best of 3, Windows build under $WINEARCH Wine)"
"$WINELOADER" "$build/bench_config.exe" </dev/null
