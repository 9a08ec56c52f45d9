#!/usr/bin/env bash
# Builds and runs the subscriptions' benchmarks: a poll answer of 50 records
# through ten subscriptions' local filters (target: within 1 ms), against
# the parse of the same answer in the same run; preparing the filters; the
# spoken form of one match. Medians of 5 runs.
# Usage: bench/subscribe/run.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=../lib.sh
source bench/lib.sh
bench_build subscribe_bench
bench_medians "$build_dir/bench/subscribe/subscribe_bench" "${@:2}"
python3 - "$bench_json" <<'PY'
import sys
sys.path.insert(0, "bench")
from medians import medians
med, cpu = medians(sys.argv[1])  # us
targets = {"BM_TenFiltersOnAnswer": 1000}
baselines = {"BM_TenFiltersOnAnswer": ["BM_ParseAnswer"]}
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
