#!/bin/sh
# Runs every fuzz target for the given seconds (default 600) each, after
# building the native flavour; crashes are kept in build/fuzz-artifacts.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
cd "$top"
cmake -S . -B build/native -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j2
mkdir -p build/fuzz-artifacts
export FUZZ_ARTIFACTS="$top/build/fuzz-artifacts"
for t in build/native/fuzz/fuzz_*; do
	[ -x "$t" ] || continue
	name=$(basename "$t")
	corpus=fuzz/corpus/${name#fuzz_}
	echo "== $name for $seconds s"
	fuzz/run-fuzz.sh "$t" "$corpus" -1 "$seconds" 2>&1 | grep -E '^(stat::|#[0-9]+ +DONE|==.*ERROR)' || true
done
