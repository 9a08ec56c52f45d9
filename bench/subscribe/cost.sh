#!/usr/bin/env bash
# Builds and runs the cost of ten subscriptions in the real client, under a
# private X server: after the client without subscriptions in the same run,
# on the same service, refresh period 1 s, the local service publishing
# every 0.2 s. Not part of the tests.
# Usage: bench/subscribe/cost.sh [BUILD_DIR] [--minutes M] [--every S]
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target tarvolo-test-client tarvolo-service \
  tarvolo-cli >/dev/null
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1600x1000x24" python3 bench/subscribe/cost.py "$build_dir" "${@:2}"
