# Sourced by the service benchmarks: starts and stops tarvolo-service
# ($service_bin) on the demo database in $work, on a free loopback port.
#   start_service [extra options...]  sets service_pid and service_port
#   stop_service
start_service() {
  "$service_bin" --db "$work/service.db" --demo --listen 127.0.0.1:0 "$@" >"$work/service.out" 2>"$work/service.err" &
  service_pid=$!
  for _ in $(seq 1 200); do
    grep -q '^listening on ' "$work/service.out" 2>/dev/null && break
    sleep 0.05
  done
  service_port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$work/service.out")
  [ -n "$service_port" ] || { echo "bench/service: service did not start" >&2; cat "$work/service.err" >&2; exit 1; }
}
stop_service() {
  kill "$service_pid"; wait "$service_pid" 2>/dev/null || true; service_pid=""
}
