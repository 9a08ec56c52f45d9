#!/usr/bin/env bash
# Shows tarvolo-grid-demo under Xvfb and takes a screenshot of the screen:
# test-artifacts/grid-demo.png. Look at it: the markers must colour the text
# (region red, telephone blue, time grey, the rest black) and take no space.
# Usage: tests/widgets/demo_shot.sh [BUILD_DIR]   (default build/)
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
mkdir -p test-artifacts
exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -euo pipefail
  log=$(mktemp)
  "$1/src/widgets/tarvolo-grid-demo" --announce --rows 300 --width 1280 >"$log" 2>/dev/null &
  pid=$!
  trap "kill $pid 2>/dev/null || true; rm -f $log" EXIT
  for _ in $(seq 1 100); do
    grep -q ready "$log" && break
    sleep 0.1
  done
  grep -q ready "$log" || { echo "demo did not come up" >&2; exit 1; }
  import -window root test-artifacts/grid-demo.png
  echo "saved test-artifacts/grid-demo.png"
' _ "$build_dir"
