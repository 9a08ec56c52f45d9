#!/usr/bin/env bash
# A week of the national view's traffic without a restart (week_bench): the
# list as the program keeps it, and the baseline of the same traffic with
# every row keeping its texts (20 hours of it; it grows without end).
# Usage: bench/feed/week.sh [BUILD_DIR]  (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=../lib.sh
source bench/lib.sh
bench_build week_bench
program="$build_dir/bench/feed/week_bench"
bounded=$("$program")
baseline=$("$program" --keep-all --hours-only 20)
echo "$bounded"
echo "--- baseline: every row keeps its texts"
echo "$baseline"
python3 - "$bounded" "$baseline" <<'PY'
import sys
def figures(text):
    return {k: float(v) for k, v in (l.split()[:2] for l in text.splitlines() if len(l.split()) == 2)}
bounded, baseline = figures(sys.argv[1]), figures(sys.argv[2])
rise = bounded["rise_mb"]
print(f"\nrise over the week after the first hour: {rise:.1f} MB "
      f"(<= 64 MB: {'ok' if rise <= 64 else 'OVER'}); rows wrong after scrolling back: "
      f"{int(bounded['rows_wrong'])} of {int(bounded['rows_checked'])}")
print(f"growth per hour, averaged over the run: {bounded['rise_mb_per_hour']:.3f} MB, "
      f"baseline {baseline['rise_mb_per_hour']:.3f} MB "
      f"[ratio {bounded['rise_mb_per_hour'] / baseline['rise_mb_per_hour']:.3f}]")
PY
