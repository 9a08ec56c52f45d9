#!/usr/bin/env bash
# Runs every area's benchmarks (bench/<area>/run.sh) one after another and
# prints their figures. Each prints its own baseline from the same run.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
for script in bench/*/run.sh; do
  [ -f "$script" ] || continue
  echo "=== ${script%/run.sh} ==="
  bash "$script" || status=1
done
exit $status
