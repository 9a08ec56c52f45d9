#!/usr/bin/env bash
# Configures and builds everything into build/ (or $TARVOLO_BUILD_DIR), with
# warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${TARVOLO_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARVOLO_WERROR=ON >/dev/null
cmake --build "$build_dir" -j "$(nproc)" "$@"
