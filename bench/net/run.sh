#!/usr/bin/env bash
# Builds and runs the net benchmarks: ParseCountedPage against a memchr scan of
# the same 1 MiB page. Usage: bench/net/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target net_bench >/dev/null
"$build_dir/bench/net/net_bench"
