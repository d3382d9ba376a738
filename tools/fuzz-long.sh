#!/bin/sh
# fuzz-long.sh [-t SECONDS] [-r RUNS] [-b BUILD] [-c CORPUS] [-n] [TARGET...]
#
# Runs the fuzz targets (all, or those named, as "xml" or "fuzz_xml") one
# after another, each until SECONDS (default 1800) or RUNS inputs
# (default 10000000), whichever comes first.  Every target keeps its
# corpus in CORPUS/NAME (default build/fuzz-corpus), outside the
# repository, seeded from fuzz/corpus/NAME, so that runs build on each
# other.  BUILD (default build/native) is configured and built first
# unless -n is given; -n takes the fuzz/fuzz_* programs already there.
# Findings go to BUILD/fuzz-artifacts/NAME, libFuzzer's own output to
# BUILD/fuzz-logs/NAME.log.  Per target one line: executions, exec/s,
# seconds, coverage (cov, ft), corpus files, findings; then the table.
# Exits non-zero when anything was found.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=1800 runs=10000000 build=$top/build/native corpus=$top/build/fuzz-corpus make=1
while getopts t:r:b:c:n opt; do
	case $opt in
	t) seconds=$OPTARG ;;
	r) runs=$OPTARG ;;
	b) build=$(mkdir -p "$OPTARG" && cd "$OPTARG" && pwd) ;;
	c) corpus=$(mkdir -p "$OPTARG" && cd "$OPTARG" && pwd) ;;
	n) make= ;;
	*) sed -n 2p "$0" >&2; exit 2 ;;
	esac
done
shift $((OPTIND - 1))

if [ -n "$make" ]; then
	cmake -S "$top" -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
		-DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build "$build" -j1 >/dev/null
fi

if [ $# -eq 0 ]; then
	set -- "$build"/fuzz/fuzz_*
else
	for name; do
		shift
		set -- "$@" "$build/fuzz/fuzz_${name#fuzz_}"
	done
fi

table=
found=0
for target; do
	[ -x "$target" ] || { echo "no fuzz target $target" >&2; exit 2; }
	name=$(basename "$target")
	short=${name#fuzz_}
	mkdir -p "$corpus/$short" "$build/fuzz-artifacts/$short" "$build/fuzz-logs"
	# seeds that the corpus does not hold yet
	cp -n "$top/fuzz/corpus/$short"/* "$corpus/$short/" 2>/dev/null || true
	log=$build/fuzz-logs/$short.log
	before=$(ls "$build/fuzz-artifacts/$short" | wc -l)
	start=$(date +%s)
	"$target" -max_total_time="$seconds" -runs="$runs" -max_len=65536 -rss_limit_mb=4096 \
		-timeout=30 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$short/" \
		"$corpus/$short" >"$log" 2>&1 || true
	elapsed=$(($(date +%s) - start))
	findings=$(($(ls "$build/fuzz-artifacts/$short" | wc -l) - before))
	found=$((found + findings))
	execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
	rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
	cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
	ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
	files=$(ls "$corpus/$short" | wc -l)
	line=$(printf '%-22s %11s %8s %7s %6s %7s %7s %8s' "$name" "${execs:-?}" "${rate:-?}" "$elapsed" \
		"${cov:-?}" "${ft:-?}" "$files" "$findings")
	echo "$line"
	[ "$findings" -eq 0 ] || grep -E '^==[0-9]+==|^SUMMARY|deadly signal|Test unit written' "$log" | head -n 20
	table="$table$line
"
done
echo
printf '%-22s %11s %8s %7s %6s %7s %7s %8s\n' target executions exec/s seconds cov ft corpus findings
printf '%s' "$table"
[ "$found" -eq 0 ]
