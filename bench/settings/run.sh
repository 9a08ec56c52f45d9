#!/usr/bin/env bash
# Builds and runs the settings store benchmark: ReadSetting from two threads
# with nobody writing (baseline), while a third thread writes, and while it
# writes with every call behind one lock. Prints medians and ratios.
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${TARVOLO_BUILD_DIR:-build}
bash scripts/build.sh --target settings_bench >/dev/null
out=$(mktemp)
log=$(mktemp)
trap 'rm -f "$out" "$log"' EXIT
# Interleaved repetitions: the machine is shared, so order effects and drift
# spread over every variant alike.
if ! "$build_dir/bench/settings/settings_bench" --benchmark_repetitions=5 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.5 --benchmark_out="$out" --benchmark_out_format=json >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
python3 - "$out" <<'PY'
import json, sys
runs = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        runs[b["run_name"].split("/")[0]] = b
base = runs["BM_ReadNoWriter"]["reads_per_s"]
print("ReadSetting, 2 reader threads, medians of 5 runs:")
for name, label in [("BM_ReadNoWriter", "no writer (baseline)"),
                    ("BM_ReadWhileWriting", "a third thread writing"),
                    ("BM_ReadWhileWritingOneLock", "writing, every call behind one lock")]:
    b = runs[name]
    writes = b.get("writes_per_s", 0.0)
    extra = f", {writes:,.0f} writes/s" if name != "BM_ReadNoWriter" else ""
    print(f"  {label:38s} {b['reads_per_s']:>12,.0f} reads/s  ({b['reads_per_s'] / base:.2f} x baseline){extra}")
PY
