#!/usr/bin/env bash
# Sets everything up, builds, and runs the client on the bundled local service:
# tarvolo-service with demo data and live traffic on loopback, tarvolo pointed
# at it, the service stopped when the client ends. Demo members: README.md.
# The service's database and the client's settings stay under the build
# folder ($build_dir/run/), so messages and logins carry over between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh --target tarvolo tarvolo-update tarvolo-service tarvolo-cli
build_dir=${TARVOLO_BUILD_DIR:-build}
run_dir=$build_dir/run
mkdir -p "$run_dir"

service_log=$run_dir/service.log
"$build_dir/service/tarvolo-service" --demo --simulate "${TARVOLO_SIMULATE:-5}" \
  --listen 127.0.0.1:0 --db "$run_dir/tarvolo-service.db" >"$service_log" 2>&1 &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null || true; wait "$service_pid" 2>/dev/null || true' EXIT

deadline=$((SECONDS + 60))
until grep -q "listening on" "$service_log"; do
  if ! kill -0 "$service_pid" 2>/dev/null || ((SECONDS > deadline)); then
    echo "run: tarvolo-service did not start:" >&2
    cat "$service_log" >&2
    exit 1
  fi
  sleep 0.2
done
host=$(sed -n 's/.*listening on \([0-9.:]*\).*/\1/p' "$service_log" | head -1)
echo "run: tarvolo-service on $host (log: $service_log)"

export TARVOLO_SETTINGS=$run_dir/settings.db
export TARVOLO_PORTAL_HOST=$host TARVOLO_FALLBACK_HOST=$host TARVOLO_WEB_HOST=$host
# The service listens on a new port each run: forget the last run's servers.
main_key='Software\Microsoft\Windows\CurrentVersion\'
for name in GetServerUrltavrelomin2 initloginurltavrelomin2; do
  "$build_dir/cli/tarvolo-cli" settings delete "$main_key" "$name" >/dev/null 2>&1 || true
done
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
"$build_dir/src/app/tarvolo" "$@"
