#!/usr/bin/env bash
# What the operator's console and its metrics cost on the poll path: wrk
# "GetNewDatas" polls that find nothing (the steady load of every client),
# keep-alive, against the same server and database without and with
# --admin-listen (every answer then counted by page, status and time),
# in turns A B B A ... within one run; prints each turn and the medians of
# the answer rate and of the service's own CPU time per answer (the steadier
# figure on a busy machine).
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

cpu_ticks() {  # the service's user and system time so far, in clock ticks
  awk '{print $14 + $15}' "/proc/$service_pid/stat"
}
rate() {  # wrk on the poll: "requests/s service-CPU-microseconds-per-request"
  local before after out rate requests
  before=$(cpu_ticks)
  out=$(wrk -t"$threads" -c"$connections" -d"${duration}s" "$poll_url" 2>&1)
  after=$(cpu_ticks)
  rate=$(sed -n 's/^Requests\/sec:[[:space:]]*\([0-9.]*\).*/\1/p' <<<"$out")
  requests=$(sed -n 's/^[[:space:]]*\([0-9]*\) requests in.*/\1/p' <<<"$out")
  python3 -c "print($rate, ($after - $before) / $(getconf CLK_TCK) * 1e6 / $requests)"
}

without=() with=()
echo "GetNewDatas poll, nothing new, keep-alive; wrk $threads threads, $connections connections, ${duration}s a turn"
without_console() { start_service; poll_url_of_service; a=$(rate); stop_service; }
with_console() {
  start_service --admin-listen 127.0.0.1:0
  poll_url_of_service
  b=$(rate)
  counted=$(curl -s "http://127.0.0.1:$(sed -n 's/^console on .*:\([0-9]*\)$/\1/p' "$work/service.out")/metrics" | sed -n 's/^tarvolo_requests_total{page="\/qavel\/client\/GetInfo.asp"} //p')
  stop_service
}
for i in $(seq 1 "$pairs"); do
  # A B, then B A: a machine that slows down or speeds up over the run
  # favours neither.
  if ((i % 2)); then without_console; with_console; else with_console; without_console; fi
  without+=("$a"); with+=("$b")
  read -r a_rate a_cpu <<<"$a"
  read -r b_rate b_cpu <<<"$b"
  printf 'turn %d: without console %8.0f r/s %6.2f us CPU/request   with console and metrics %8.0f r/s %6.2f us CPU/request (counted %s)\n' \
    "$i" "$a_rate" "$a_cpu" "$b_rate" "$b_cpu" "$counted"
done
python3 - "${without[*]}" "${with[*]}" <<'PY'
import statistics, sys
a = [float(x) for x in sys.argv[1].split()]
b = [float(x) for x in sys.argv[2].split()]
ra, ca, rb, cb = a[0::2], a[1::2], b[0::2], b[1::2]
print(f"median requests/s: without {statistics.median(ra):.0f}, with {statistics.median(rb):.0f}, "
      f"with/without {statistics.median(rb) / statistics.median(ra):.3f}")
print(f"median service CPU per request: without {statistics.median(ca):.2f} us, "
      f"with {statistics.median(cb):.2f} us, with/without {statistics.median(cb) / statistics.median(ca):.3f}")
PY
