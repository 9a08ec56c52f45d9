#!/usr/bin/env bash
# What the operator's console and its metrics cost on the poll path: wrk
# "GetNewDatas" polls that find nothing (the steady load of every client),
# keep-alive, against the same server and database without and with
# --admin-listen (every answer then counted by page, status and time),
# in turns A B A B ... within one run; prints each turn and the medians.
#   usage: bench/service/console_cost.sh [seconds per turn, default 10] [pairs, default 3]
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${TARVOLO_BUILD_DIR:-build}
service_bin=$build_dir/service/tarvolo-service
duration=${1:-10}
pairs=${2:-3}
connections=100
threads=2
for tool in wrk curl base64 python3; do
  command -v "$tool" >/dev/null || { echo "bench/service: $tool is missing" >&2; exit 1; }
done
[ -x "$service_bin" ] || { echo "bench/service: build tarvolo-service first" >&2; exit 1; }

work=$(mktemp -d /tmp/tv-bench-console.XXXXXX)
service_pid=""
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source bench/service/service_start.sh
poll_url_of_service() {  # the poll of 郑州 after the newest message: nothing new
  base="http://127.0.0.1:$service_port/qavel/client"
  newest=$(curl -s "$base/GetSearchInfo.asp?action=GetTopDatas" | base64 -d | python3 -c 'import sys; print(sys.stdin.buffer.read().split(b"@@")[2].split(b"||")[0].decode())')
  poll_url="$base/GetInfo.asp?action=GetNewDatas&maxid=$newest&Code=%D6%A3%D6%DD&inType=8"
  curl -s "$poll_url" >/dev/null
}

rate() {  # wrk on the poll, requests/s
  wrk -t"$threads" -c"$connections" -d"${duration}s" "$poll_url" 2>&1 | sed -n 's/^Requests\/sec:[[:space:]]*\([0-9.]*\).*/\1/p'
}

without=() with=()
echo "GetNewDatas poll, nothing new, keep-alive; wrk $threads threads, $connections connections, ${duration}s a turn"
for i in $(seq 1 "$pairs"); do
  start_service
  poll_url_of_service
  a=$(rate); stop_service
  start_service --admin-listen 127.0.0.1:0
  poll_url_of_service
  b=$(rate)
  counted=$(curl -s "http://127.0.0.1:$(sed -n 's/^console on .*:\([0-9]*\)$/\1/p' "$work/service.out")/metrics" | sed -n 's/^tarvolo_requests_total{page="\/qavel\/client\/GetInfo.asp"} //p')
  stop_service
  without+=("$a"); with+=("$b")
  printf 'turn %d: without console %10.0f r/s   with console and metrics %10.0f r/s (counted %s)\n' "$i" "$a" "$b" "$counted"
done
python3 - "${without[*]}" "${with[*]}" <<'PY'
import statistics, sys
a = [float(x) for x in sys.argv[1].split()]
b = [float(x) for x in sys.argv[2].split()]
ma, mb = statistics.median(a), statistics.median(b)
print(f"median: without {ma:.0f} r/s, with {mb:.0f} r/s, with/without {mb / ma:.3f}")
PY
