#!/usr/bin/env bash
# Runs one end-to-end script (*.sh) or test program under a private X server
# (xvfb-run -a picks a free display number), of XVFB_SCREEN (default
# 1280x800x24).
set -euo pipefail
unset QT_QPA_PLATFORM
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
screen=${XVFB_SCREEN:-1280x800x24}
if [[ $1 == *.sh ]]; then
  exec xvfb-run -a -s "-screen 0 $screen" bash "$@"
fi
exec xvfb-run -a -s "-screen 0 $screen" "$@"
