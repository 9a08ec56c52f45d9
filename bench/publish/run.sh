#!/usr/bin/env bash
# Builds and runs the publishing benchmarks with a million rows in the main
# grid: the own message on top after "AddOK", and the whole reply applied
# (with the history written). Baseline in the same run: the same work on an
# empty grid. Medians of 5 runs.
# Usage: bench/publish/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target publish_bench >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
QT_QPA_PLATFORM=offscreen "$build_dir/bench/publish/publish_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_out="$out" --benchmark_out_format=json \
  "${@:2}"
python3 - "$out" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
med, cpu = {}, {}
for r in runs:
    if r.get("aggregate_name") == "median":
        med[r["run_name"]] = r["real_time"] / 1000.0  # us -> ms
        cpu[r["run_name"]] = r["cpu_time"] / 1000.0
print("\nmedians, ms: wall (cpu)  target  [ratio to the empty grid of the same run]")
for name, ms in sorted(med.items()):
    line = f"  {name:40s} {ms:8.3f} ({cpu[name]:7.3f})"
    if name.endswith("/1000000"):
        if name.startswith("BM_OwnMessageOnTop"):
            line += f"  (<= 5 ms: {'ok' if ms <= 5 else 'OVER'})"
        base = med.get(name.replace("/1000000", "/0"))
        if base:
            line += f"  [{ms / base:.2f}x]"
    print(line)
PY
