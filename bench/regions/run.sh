#!/usr/bin/env bash
# Builds and runs the region benchmarks: ListChildren (a full scan of the county
# directory per call) against a plain scan of the same rows that compares every
# row whole and only counts matches, plus AreaCodeOf and a picker's province change.
# Usage: bench/regions/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target regions_bench >/dev/null
"$build_dir/bench/regions/regions_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "${@:2}"
