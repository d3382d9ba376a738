#!/bin/sh
# Builds the benchmarks and runs them under Wine; prints their figures.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/win-build.sh bench_config >/dev/null
. tools/wine-env.sh
build=$KESTRUM_WIN_BUILD
echo "== ConfigSave / ConfigLoad (best of 3, Windows build under $WINEARCH Wine)"
"$WINELOADER" "$build/bench_config.exe" </dev/null
