#!/bin/sh
# run-fuzz.sh TARGET SEEDS RUNS [SECONDS]: runs a fuzz target over its
# seeds and then RUNS new inputs (or SECONDS); new finds go to a scratch
# folder so the seed corpus in the repository stays as committed.
set -eu
target=$1 seeds=$2 runs=$3 seconds=${4:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
set -- -runs="$runs" -max_len=65536 -rss_limit_mb=4096 -print_final_stats=1 \
	-artifact_prefix="${FUZZ_ARTIFACTS:-$work}/"
[ "$seconds" -gt 0 ] && set -- "$@" -max_total_time="$seconds"
exec "$target" "$@" "$work" "$seeds"
