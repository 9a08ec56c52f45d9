#!/usr/bin/env bash
# Builds and runs the results panel's benchmarks with a million rows in the
# main list and 100,000 in the panel: a poll answer of 50 matches, the own
# match on top, a first page of matches, the keyword highlight of one row.
# Baselines in the same run: the main feed's poll answer into its million
# rows, the same work on an empty panel, the feed's region highlight.
# Medians of 5 runs.
# Usage: bench/search/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=../lib.sh
source bench/lib.sh
bench_build search_bench
bench_medians "$build_dir/bench/search/search_bench" "${@:2}"
python3 - "$bench_json" <<'PY'
import sys
sys.path.insert(0, "bench")
from medians import medians
med, cpu = medians(sys.argv[1])  # us
targets = {"BM_PanelPollAnswer/100000": 5000, "BM_HighlightKeywords": 5}
baselines = {
    "BM_PanelPollAnswer/100000": ["BM_MainPollAnswer/1000000", "BM_PanelPollAnswer/0"],
    "BM_PanelOwnMessage/100000": ["BM_PanelOwnMessage/0"],
    "BM_PanelFirstPage/100000": ["BM_PanelFirstPage/0"],
    "BM_HighlightKeywords": ["BM_HighlightRegion"],
}
print("\nmedians, us: wall (cpu)  target  [wall ratio to each baseline of the same run]")
for name, us in sorted(med.items()):
    line = f"  {name:30s} {us:10.3f} ({cpu[name]:10.3f})"
    if name in targets:
        t = targets[name]
        line += f"  (<= {t} us: {'ok' if us <= t else 'OVER'})"
    for b in baselines.get(name, []):
        if med.get(b):
            line += f"  [{us / med[b]:.2f}x {b}]"
    print(line)
PY
