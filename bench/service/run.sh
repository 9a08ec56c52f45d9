#!/usr/bin/env bash
# Answer rate of tarvolo-service under wrk (100 connections on loopback),
# beside nginx serving static files of the same sizes in the same run:
#   1. "GetNewDatas" polls that find nothing new (the steady load of every
#      client: one poll per client every 10 s);
#   2. first pages ("GetTopDatas") of a busy city.
# Each is measured keep-alive (as wrk does) and with one connection per request
# (as the client does: HTTP/1.0), then again while service_slow_clients holds
# 1,000 slow connections open (request line sent, head never finished), and
# the first page also without the answer cache. Figures: requests/s and
# 99th-percentile latency; ratio to nginx.
#   usage: bench/service/run.sh [seconds per run, default 10] [slow connections, default 1000]
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${TARVOLO_BUILD_DIR:-build}
service_bin=$build_dir/service/tarvolo-service
duration=${1:-10}
slow_count=${2:-1000}
slow_bin=$build_dir/bench/service/service_slow_clients
connections=100
threads=2

for tool in wrk nginx curl base64 python3; do
  command -v "$tool" >/dev/null || { echo "bench/service: $tool is missing" >&2; exit 1; }
done
if [ ! -x "$service_bin" ] || [ ! -x "$slow_bin" ]; then
  echo "bench/service: building tarvolo-service into $build_dir" >&2
  TARVOLO_BUILD_DIR=$build_dir bash scripts/build.sh --target tarvolo-service service_slow_clients >/dev/null
fi

work=$(mktemp -d /tmp/tv-bench-service.XXXXXX)
service_pid=""
nginx_pid=""
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source bench/service/service_start.sh

# wrk URL [extra wrk args]: prints "rate p99" (requests/s, p99 in ms)
measure() {
  local url=$1; shift
  wrk -t"$threads" -c"$connections" -d"${duration}s" --latency "$@" "$url" >"$work/wrk.out" 2>&1 || true
  python3 - "$work/wrk.out" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
rate = re.search(r"Requests/sec:\s*([\d.]+)", text)
p99 = re.search(r"^\s*99%\s+([\d.]+)(us|ms|s)\b", text, re.M)
errors = re.search(r"Non-2xx or 3xx responses: (\d+)", text)
if not rate or not p99:
    print("nan nan"); sys.exit()
scale = {"us": 0.001, "ms": 1.0, "s": 1000.0}[p99.group(2)]
bad = int(errors.group(1)) if errors else 0
print(f"{float(rate.group(1)):.0f} {float(p99.group(1)) * scale:.2f} {bad}")
PY
}

code=$(printf '%%D6%%A3%%D6%%DD')  # "郑州" in GBK, as EncodeQueryValue writes it
set_urls() {  # after every start: the port is new; one request of each warms up
  base="http://127.0.0.1:$service_port/qavel/client"
  page_url="$base/GetInfo.asp?action=GetTopDatas&Code=$code&inType=8"
  newest=$(curl -s "$base/GetSearchInfo.asp?action=GetTopDatas" | base64 -d | python3 -c 'import sys; print(sys.stdin.buffer.read().split(b"@@")[2].split(b"||")[0].decode())')
  poll_url="$base/GetInfo.asp?action=GetNewDatas&maxid=$newest&Code=$code&inType=8"
  curl -s "$page_url" >/dev/null
  curl -s "$poll_url" >/dev/null
}
start_service
set_urls
poll_body=$(curl -s "$poll_url")
[ "$(printf '%s' "$poll_body" | base64 -d)" = "@@" ] || { echo "bench/service: poll is not empty" >&2; exit 1; }
curl -s "$page_url" -o "$work/page.body"
page_total=$(base64 -d <"$work/page.body" | python3 -c 'import sys; print(sys.stdin.buffer.read().split(b"@@")[1].decode())')

# nginx: an unprivileged instance with its own prefix, the same bytes.
mkdir -p "$work/nginx/html"
printf '%s' "$poll_body" >"$work/nginx/html/poll.txt"
cp "$work/page.body" "$work/nginx/html/page.txt"
source bench/service/nginx_same_bytes.sh
start_nginx "$work/nginx"

echo "tarvolo-service vs nginx, wrk $threads threads, $connections connections, ${duration}s per run"
echo "poll answer ${#poll_body} bytes; first page of 郑州: $(stat -c %s "$work/page.body") bytes, total $page_total"
printf '%-44s %12s %10s %12s %10s %8s\n' "load" "service r/s" "p99 ms" "nginx r/s" "p99 ms" "ratio"
row() {  # label service-result nginx-result
  read -r s_rate s_p99 s_bad <<<"$2"
  read -r n_rate n_p99 _ <<<"$3"
  ratio=$(python3 -c "print(f'{$s_rate/$n_rate:.2f}' if $n_rate > 0 else 'nan')" 2>/dev/null || echo nan)
  printf '%-44s %12s %10s %12s %10s %8s\n' "$1" "$s_rate" "$s_p99" "$n_rate" "$n_p99" "$ratio"
  [ "${s_bad:-0}" = 0 ] || echo "  (service: $s_bad non-2xx answers)"
}
# with_slow PORT measure...: the measurement while slow connections are held.
with_slow() {
  local port=$1; shift
  "$slow_bin" "$port" "$slow_count" $((duration + 5)) >"$work/slow.out" 2>&1 &
  local slow_pid=$!
  for _ in $(seq 1 200); do
    grep -q '^holding' "$work/slow.out" 2>/dev/null && break
    kill -0 "$slow_pid" 2>/dev/null || break
    sleep 0.05
  done
  "$@"
  kill "$slow_pid" 2>/dev/null; wait "$slow_pid" 2>/dev/null || true
}
close=(-H "Connection: close")
row "GetNewDatas poll, nothing new (keep-alive)" "$(measure "$poll_url")" "$(measure "$nginx_base/poll.txt")"
row "GetNewDatas poll, nothing new (per request)" "$(measure "$poll_url" "${close[@]}")" "$(measure "$nginx_base/poll.txt" "${close[@]}")"
row "GetTopDatas 郑州 (keep-alive)" "$(measure "$page_url")" "$(measure "$nginx_base/page.txt")"
row "GetTopDatas 郑州 (per request)" "$(measure "$page_url" "${close[@]}")" "$(measure "$nginx_base/page.txt" "${close[@]}")"
label="+$slow_count slow"
row "poll, keep-alive, $label" "$(with_slow "$service_port" measure "$poll_url")" "$(with_slow "$nginx_port" measure "$nginx_base/poll.txt")"
row "poll, per request, $label" "$(with_slow "$service_port" measure "$poll_url" "${close[@]}")" "$(with_slow "$nginx_port" measure "$nginx_base/poll.txt" "${close[@]}")"
row "GetTopDatas 郑州, keep-alive, $label" "$(with_slow "$service_port" measure "$page_url")" "$(with_slow "$nginx_port" measure "$nginx_base/page.txt")"
row "GetTopDatas 郑州, per request, $label" "$(with_slow "$service_port" measure "$page_url" "${close[@]}")" "$(with_slow "$nginx_port" measure "$nginx_base/page.txt" "${close[@]}")"
stop_service
start_service --no-cache
set_urls
row "GetTopDatas 郑州, no answer cache" "$(measure "$page_url")" "$(measure "$nginx_base/page.txt")"
row "GetNewDatas poll, no answer cache" "$(measure "$poll_url")" "$(measure "$nginx_base/poll.txt")"
stop_service

# The same answers in process, without HTTP (Google Benchmark, with its baseline).
pages_bench=$build_dir/bench/service/service_pages_bench
if [ -x "$pages_bench" ]; then
  echo
  "$pages_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
    grep -E '^(Benchmark|BM_.*_median)'
fi
