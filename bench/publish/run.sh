#!/usr/bin/env bash
# Builds and runs the publishing benchmarks with a million rows in the main
# grid: the own message on top after "AddOK", and the whole reply applied
# (with the history written). Baseline in the same run: the same work on an
# empty grid. Medians of 5 runs.
# Usage: bench/publish/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=../lib.sh
source bench/lib.sh
bench_build publish_bench
bench_medians "$build_dir/bench/publish/publish_bench" "${@:2}"
python3 - "$bench_json" <<'PY'
import sys
sys.path.insert(0, "bench")
from medians import medians
wall, cpu_us = medians(sys.argv[1])
med = {k: us / 1000.0 for k, us in wall.items()}  # ms
cpu = {k: us / 1000.0 for k, us in cpu_us.items()}
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
