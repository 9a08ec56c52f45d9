#!/usr/bin/env bash
# Builds and runs the grid benchmarks: the information grid at a million rows
# beside QTableView over a QStandardItemModel holding the same rows, and a
# poll's frame beside a repaint of the whole view.
# Timing cases run in one process; each memory case runs in a process of its
# own so that RSS growth is not hidden by pages an earlier case freed.
# Usage: bench/widgets/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target grid_bench >/dev/null
bench="$build_dir/bench/widgets/grid_bench"
export QT_QPA_PLATFORM=offscreen
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$bench" --benchmark_filter='ResizeRows|InsertTop|JumpAndPaint|Poll' --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$out/time.json" 2>/dev/null
i=0
for name in $("$bench" --benchmark_list_tests=true --benchmark_filter='Memory' 2>/dev/null); do
  "$bench" --benchmark_filter="^${name}\$" --benchmark_format=json >"$out/mem$i.json" 2>/dev/null
  i=$((i + 1))
done

python3 - "$out" <<'PY'
import glob, json, os, re, sys
out = sys.argv[1]
def load(path):
    with open(path) as f:
        return json.load(f)["benchmarks"]
rows = [b for b in load(os.path.join(out, "time.json")) if b.get("aggregate_name") == "median"]
print("Timing (median of 3 runs; wall time, thread CPU time in brackets):")
print(f"  {'case':62} {'wall':>12} {'cpu':>12}")
by = {}
for b in rows:
    # Match the two sides by case and arguments, without the run settings.
    name = re.sub(r"/(iterations|min_time):[^/]*", "", b["run_name"])
    unit = b["time_unit"]
    by[name] = b
    print(f"  {name:62} {b['real_time']:9.3f} {unit:2} ({b['cpu_time']:8.3f} {unit})")
print("\nRatios (QTableView / InfoGrid, wall):")
for name, b in by.items():
    if "InfoGrid" not in name:
        continue
    for other in ("QTableView", "QStandardItemModel"):
        peer = by.get(name.replace("InfoGrid", other))
        if peer:
            print(f"  {name.replace('_InfoGrid', ''):55} x{peer['real_time'] / b['real_time']:9.1f}")
moved = by.get("BM_Poll_InfoGrid<false>/5")
whole = by.get("BM_Poll_InfoGrid<true>/5")
if moved and whole:
    print(f"\nA poll of five rows, CPU: moved pixels {moved['cpu_time']:.2f} ms, whole view repainted"
          f" {whole['cpu_time']:.2f} ms, x{whole['cpu_time'] / moved['cpu_time']:.1f}")
print("\nMemory (RSS growth, one process per case; rows/filled rows):")
for path in sorted(glob.glob(os.path.join(out, "mem*.json"))):
    for b in load(path):
        print(f"  {b['run_name']:62} {b['rss_MB']:8.1f} MB  fill {b['real_time']:9.1f} {b['time_unit']}")
PY
