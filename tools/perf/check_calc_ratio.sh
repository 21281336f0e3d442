#!/bin/bash
# Whole calculation against its floor: runs BM_WholeCalculation and
# BM_BaselineFloorSine in the same process, repeated and interleaved, and
# compares the medians of their CPU times. Exits 1 when the whole calculation
# takes more than LIMIT (default 1.2) times the floor, 2 when it cannot measure.
#
#   tools/perf/check_calc_ratio.sh [BENCH_BINARY]
#   env: LIMIT=1.2  REPETITIONS=15  MIN_TIME=0.1 (seconds per repetition)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bench=${1:-$here/../../build-bench/bench/biorhythm_bench}
limit=${LIMIT:-1.2}
reps=${REPETITIONS:-15}
min_time=${MIN_TIME:-0.1}

if [[ ! -x $bench ]]; then
    echo "check_calc_ratio: no benchmark binary at $bench (build the biorhythm_bench target)" >&2
    exit 2
fi
command -v jq >/dev/null || { echo "check_calc_ratio: jq is needed" >&2; exit 2; }

json=$(mktemp)
trap 'rm -f "$json"' EXIT
QT_QPA_PLATFORM=offscreen "$bench" \
    --benchmark_filter='^(BM_WholeCalculation|BM_BaselineFloorSine)$' \
    --benchmark_repetitions="$reps" \
    --benchmark_enable_random_interleaving=true \
    --benchmark_min_time="$min_time" \
    --benchmark_format=json >"$json" 2>/dev/null

median() {
    jq -er --arg name "$1" \
        '[.benchmarks[] | select(.run_name == $name and .aggregate_name == "median")][0].cpu_time' "$json"
}
unit() {
    jq -er --arg name "$1" \
        '[.benchmarks[] | select(.run_name == $name and .aggregate_name == "median")][0].time_unit' "$json"
}
whole=$(median BM_WholeCalculation) || { echo "check_calc_ratio: no result for BM_WholeCalculation" >&2; exit 2; }
floor=$(median BM_BaselineFloorSine) || { echo "check_calc_ratio: no result for BM_BaselineFloorSine" >&2; exit 2; }
if [[ $(unit BM_WholeCalculation) != "$(unit BM_BaselineFloorSine)" ]]; then
    echo "check_calc_ratio: the two results are in different time units" >&2
    exit 2
fi

awk -v w="$whole" -v f="$floor" -v lim="$limit" -v n="$reps" -v u="$(unit BM_WholeCalculation)" 'BEGIN {
    if (f <= 0) { print "check_calc_ratio: the floor measured zero" > "/dev/stderr"; exit 2 }
    r = w / f
    printf "whole calculation  %10.1f %s (median CPU time of %d)\n", w, u, n
    printf "floor (floor+sin)  %10.1f %s\n", f, u
    printf "ratio              %10.3f (limit %.2f): %s\n", r, lim, (r <= lim ? "OK" : "TOO SLOW")
    exit (r <= lim ? 0 : 1)
}'
