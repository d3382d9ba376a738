#!/bin/sh
# Builds the benchmarks and runs them under Wine; prints their figures.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/install-deps.sh
tools/wine-prefix.sh
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win --target bench_config -j2 >/dev/null
export WINEPREFIX="$top/build/wine" WINEARCH=win32 WINEDEBUG=-all
echo "== ConfigSave / ConfigLoad (best of 3, Windows build under Wine)"
wine build/win/bench_config.exe </dev/null
