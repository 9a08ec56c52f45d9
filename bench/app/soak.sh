#!/usr/bin/env bash
# Builds and runs the long soak under a private X server of 1600x1000: the
# whole-country view, refresh period 1 s, the local service publishing every
# 0.2 s; one line a minute with the client's private memory, CPU time, rows
# and mark lists. The client runs from a copy, so rebuilding meanwhile does
# not disturb it. Not part of the tests.
# Usage: bench/app/soak.sh [BUILD_DIR] [--minutes M] [--every S] [--csv FILE]
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target tarvolo-test-client tarvolo-service \
  tarvolo-cli >/dev/null
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp "$build_dir/tests/e2e/tarvolo-test-client" "$copy/tarvolo"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1600x1000x24" python3 bench/app/soak.py "$build_dir" \
  --client "$copy/tarvolo" "${@:2}"
