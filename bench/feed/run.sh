#!/usr/bin/env bash
# Builds and runs the feed benchmarks with a million rows in the grid: a poll
# answer of 50 records, RebuildRowsInView, a first page of 30 records (reload
# and login). Baselines in the same run: the same work on an empty grid, and
# the rebuild with the deleted marks searched as text. Medians of 5 runs.
# Usage: bench/feed/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=../lib.sh
source bench/lib.sh
bench_build feed_bench
bench_medians "$build_dir/bench/feed/feed_bench" "${@:2}"
python3 - "$bench_json" <<'PY'
import sys
sys.path.insert(0, "bench")
from medians import medians
wall, cpu_us = medians(sys.argv[1], label=True)
med = {k: us / 1000.0 for k, us in wall.items()}  # ms
cpu = {k: us / 1000.0 for k, us in cpu_us.items()}
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
