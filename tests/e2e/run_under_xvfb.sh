#!/usr/bin/env bash
# Runs one end-to-end script under a private X server (xvfb-run -a picks a
# free display number).
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$@"
