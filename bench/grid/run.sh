#!/usr/bin/env bash
# Builds and runs the row memory benchmark: a million filled feed rows in the
# row store beside the same rows in the old cell-by-cell layout, each in a
# process of its own, twice in turn; the packed row's cost beyond its texts
# must stay within 300 bytes.
# Usage: bench/grid/run.sh [BUILD_DIR] [ROWS]  (default build/, 1000000)
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
rows=${2:-1000000}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target row_memory_bench >/dev/null
bench="$build_dir/bench/grid/row_memory_bench"
for round in 1 2; do
  "$bench" cells "$rows"
  "$bench" packed "$rows"
done | tee /dev/stderr | python3 -c '
import re, statistics, sys
per = {}
for line in sys.stdin:
    m = re.match(r"(\w+) .* per row beyond texts ([0-9.]+) B", line)
    if m:
        per.setdefault(m.group(1), []).append(float(m.group(2)))
cells, packed = statistics.median(per["cells"]), statistics.median(per["packed"])
verdict = "ok" if packed <= 300 else "OVER"
print(f"per row beyond its texts (median): packed {packed:.0f} B (<= 300: {verdict}),"
      f" cells {cells:.0f} B, cells/packed x{cells / packed:.1f}")
' 2>&1
