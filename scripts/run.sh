#!/usr/bin/env bash
# Sets everything up, builds, and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build_dir=${TARVOLO_BUILD_DIR:-build}
"$build_dir/cli/tarvolo-cli" help
