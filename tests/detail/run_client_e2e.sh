#!/usr/bin/env bash
# Runs the detail view's client test on the X display that run_under_xvfb.sh
# started (no offscreen platform, so the screenshots show the real screen).
set -euo pipefail
unset QT_QPA_PLATFORM
exec "$@"
