#!/usr/bin/env bash
# Bake-off of event-driven HTTP cores packaged by Debian (libevent's evhttp,
# libmicrohttpd with epoll, libh2o, Boost.Beast over Asio), each a small server
# in cores/ that gives the bytes of an empty poll answer, beside nginx serving
# the same bytes, all in one run: wrk keep-alive and one connection per
# request, each also while service_slow_clients holds slow connections open.
#   usage: bench/service/cores.sh [seconds per run, default 3] [slow connections, default 1000]
# Needs libevent-dev libmicrohttpd-dev libh2o-evloop-dev libboost-dev (not
# installed by setup: the service itself only needs Boost).
set -euo pipefail
cd "$(dirname "$0")"
duration=${1:-3}
slow=${2:-1000}
here=$(pwd)
work=$(mktemp -d /tmp/tv-bench-cores.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

cxx=(g++ -O2 -std=c++20 -w)
"${cxx[@]}" -o "$work/evhttp" cores/evhttp_core.cpp -levent -lpthread
"${cxx[@]}" -o "$work/microhttpd" cores/mhd_core.cpp -lmicrohttpd -lpthread
"${cxx[@]}" -o "$work/beast" cores/beast_core.cpp -lpthread
"${cxx[@]}" -DH2O_USE_LIBUV=0 -fpermissive -o "$work/h2o" cores/h2o_core.cpp -lh2o-evloop -lssl -lcrypto -lpthread
"${cxx[@]}" -o "$work/slow" slow_clients.cpp

start() {  # binary -> sets port
  "$1" 0 >"$work/out" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do grep -q '^listening' "$work/out" && break; sleep 0.05; done
  port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$work/out")
}

mkdir -p "$work/nginx/html"
printf 'QEA=' >"$work/nginx/html/poll.txt"
source ./nginx_same_bytes.sh
start_nginx "$work/nginx"
pids+=("$nginx_pid")

measure() {  # url [wrk args] -> "rate p99"
  local url=$1; shift
  wrk -t2 -c100 -d"${duration}s" --latency "$@" "$url" >"$work/wrk.out" 2>&1 || true
  python3 - "$work/wrk.out" <<'PY'
import re, sys
t = open(sys.argv[1]).read()
r = re.search(r"Requests/sec:\s*([\d.]+)", t)
p = re.search(r"^\s*99%\s+([\d.]+)(us|ms|s)\b", t, re.M)
e = re.search(r"Socket errors:.*", t)
scale = {"us": 0.001, "ms": 1.0, "s": 1000.0}
out = f"{float(r.group(1)):.0f} {float(p.group(1)) * scale[p.group(2)]:.2f}" if r and p else "0 nan"
print(out + (" (errors)" if e else ""))
PY
}
with_slow() {  # port, then the measurement
  local p=$1; shift
  "$work/slow" "$p" "$slow" $((duration + 3)) >"$work/slow.out" 2>&1 &
  local sp=$!
  for _ in $(seq 1 100); do grep -q '^holding' "$work/slow.out" && break; sleep 0.05; done
  "$@"
  kill "$sp" 2>/dev/null; wait "$sp" 2>/dev/null || true
}

printf '%-12s %-26s %-26s %-26s %-26s\n' core "keep-alive r/s p99ms" "per request r/s p99ms" "keep-alive +slow" "per request +slow"
row() {  # name url port
  local url=$2 p=$3 close=(-H "Connection: close")
  printf '%-12s %-26s %-26s %-26s %-26s\n' "$1" "$(measure "$url")" "$(measure "$url" "${close[@]}")" \
    "$(with_slow "$p" measure "$url")" "$(with_slow "$p" measure "$url" "${close[@]}")"
}
row nginx "http://127.0.0.1:$nginx_port/poll.txt" "$nginx_port"
for core in evhttp microhttpd h2o beast; do
  start "$work/$core"
  row "$core" "http://127.0.0.1:$port/qavel/client/GetInfo.asp?action=GetNewDatas" "$port"
  kill "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null || true; unset 'pids[-1]'
done
