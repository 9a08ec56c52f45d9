#!/usr/bin/env bash
# Builds and runs the feed benchmarks with a million rows in the grid: a poll
# answer of 50 records, RebuildRowsInView, a first page of 30 records (reload
# and login). Baselines in the same run: the same work on an empty grid, and
# the rebuild with the deleted marks searched as text. Medians of 5 runs.
# Usage: bench/feed/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target feed_bench >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
QT_QPA_PLATFORM=offscreen "$build_dir/bench/feed/feed_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_out="$out" --benchmark_out_format=json \
  "${@:2}"
python3 - "$out" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
med, cpu = {}, {}
for r in runs:
    if r.get("aggregate_name") == "median":
        key = (r["run_name"], r.get("label", ""))
        med[key] = r["real_time"] / 1000.0  # us -> ms
        cpu[key] = r["cpu_time"] / 1000.0
def get(name, label):
    return med.get((name, label))
print("\nmedians, ms: wall (cpu)  target  [wall ratio to the baseline of the same run]")
targets = {"BM_ApplyPollAnswer": 5, "BM_RebuildRowsInView": 2, "BM_ApplyFirstPage": 5}
for (name, label), ms in sorted(med.items()):
    base = name.split("/")[0]
    line = f"  {name:45s} {label:20s} {ms:8.3f} ({cpu[(name, label)]:7.3f})"
    if base in targets and "1M" in label:
        line += f"  (<= {targets[base]} ms: {'ok' if ms <= targets[base] else 'OVER'})"
        if base == "BM_RebuildRowsInView":
            b = get(name.replace("BM_RebuildRowsInView", "BM_RebuildRowsInView_TextSearch"), label)
        else:
            b = get(name.replace("1000000", "0"), label.replace("1M rows", "empty grid"))
        if b:
            line += f"  [{ms / b:.2f}x]"
    print(line)
PY
