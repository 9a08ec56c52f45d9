#!/usr/bin/env bash
# Builds and times the client as a member meets it, under a private X server
# of 1600x1000: exec -> login form mapped beside a bare Qt widgets window
# (tarvolo-grid-demo) in the same run, "登录" -> main window with the first
# page painted, "退出程序" and closing the window -> process gone.
# Usage: bench/app/run.sh [BUILD_DIR] [-n RUNS]  (default build/, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target tarvolo tarvolo-test-client tarvolo-service \
  tarvolo-cli tarvolo-grid-demo window_watch >/dev/null
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1600x1000x24" python3 bench/app/client_bench.py "$build_dir" "${@:2}"
