#!/usr/bin/env bash
# Sets everything up, builds, and runs every test (unit, controller, widget and
# end-to-end under Xvfb). Used by .ci/run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build_dir=${TARVOLO_BUILD_DIR:-build}
# No library of a lower layer links a higher one; no folders in a cycle.
python3 scripts/check_layers.py "$build_dir"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
mkdir -p test-artifacts
# GUI end-to-end tests start their own Xvfb; the rest run offscreen.
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300
