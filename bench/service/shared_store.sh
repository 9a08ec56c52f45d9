#!/usr/bin/env bash
# tarvolo-service on one PostgreSQL database with one, two and three servers,
# beside today's single server on SQLite, in the same run: wrk polls that find
# nothing new ("GetNewDatas") and first pages of a busy city ("GetTopDatas"),
# keep-alive and one connection per request (as the client does). With
# several servers the connections are spread over them (one wrk each); the
# figures are the summed requests/s and the worst 99th percentile. On two
# cores the point is that the figures hold with a shared store, not that the
# servers scale. A throwaway cluster (initdb as nobody when run as root) is
# removed at the end.
#   usage: bench/service/shared_store.sh [seconds per run, default 5]
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${TARVOLO_BUILD_DIR:-build}
service_bin=$build_dir/service/tarvolo-service
duration=${1:-5}
connections=100

for tool in wrk curl base64 python3; do
  command -v "$tool" >/dev/null || { echo "bench/service: $tool is missing" >&2; exit 1; }
done
pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$pg_bin/initdb" ] || { echo "bench/service: PostgreSQL is missing (scripts/setup.sh)" >&2; exit 1; }
if [ ! -x "$service_bin" ]; then
  TARVOLO_BUILD_DIR=$build_dir bash scripts/build.sh --target tarvolo-service >/dev/null
fi

work=$(mktemp -d /tmp/tv-bench-shared.XXXXXX)
pids=()
as_pg=()
if [ "$(id -u)" -eq 0 ]; then chown nobody "$work"; as_pg=(runuser -u nobody --); fi
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
  "${as_pg[@]}" "$pg_bin/pg_ctl" -D "$work/pg" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}
"${as_pg[@]}" "$pg_bin/initdb" -D "$work/pg" -E UTF8 --locale=C.UTF-8 -A trust -U tarvolo --no-sync >"$work/initdb.log" 2>&1
pg_port=$(free_port)
"${as_pg[@]}" "$pg_bin/pg_ctl" -D "$work/pg" -l "$work/pg.log" -w \
  -o "-c listen_addresses=127.0.0.1 -p $pg_port -k $work -c max_connections=300" start >/dev/null
uri="postgresql://tarvolo@127.0.0.1:$pg_port/postgres"

start_service() {  # name, options... -> port in $port
  local out=$work/$1.out; shift
  "$service_bin" --listen 127.0.0.1:0 "$@" >"$out" 2>"$out.err" &
  pids+=($!)
  for _ in $(seq 1 600); do grep -q '^listening on ' "$out" 2>/dev/null && break; sleep 0.05; done
  port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$out")
  [ -n "$port" ] || { echo "bench/service: $1 did not start" >&2; cat "$out.err" >&2; exit 1; }
}
start_service sqlite --db "$work/service.db" --demo; sqlite_port=$port
start_service pg1 --db "$uri" --demo; pg_ports=("$port")
start_service pg2 --db "$uri"; pg_ports+=("$port")
start_service pg3 --db "$uri"; pg_ports+=("$port")

code=$(printf '%%D6%%A3%%D6%%DD')  # "郑州" in GBK
newest=$(curl -s "http://127.0.0.1:$sqlite_port/qavel/client/GetSearchInfo.asp?action=GetTopDatas" | base64 -d | python3 -c 'import sys; print(sys.stdin.buffer.read().split(b"@@")[2].split(b"||")[0].decode())')
page="/qavel/client/GetInfo.asp?action=GetTopDatas&Code=$code&inType=8"
poll="/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=$newest&Code=$code&inType=8"
for p in "$sqlite_port" "${pg_ports[@]}"; do  # same answers everywhere, warmed up
  [ "$(curl -s "http://127.0.0.1:$p$poll" | base64 -d)" = "@@" ] || { echo "bench/service: poll not empty on $p" >&2; exit 1; }
  curl -s "http://127.0.0.1:$p$page" >/dev/null
done
# The same demo data (times follow each start): the same totals and lengths.
shape() { curl -s "http://127.0.0.1:$1$page" | base64 -d | python3 -c 'import sys; t = sys.stdin.buffer.read(); print(t.split(b"@@")[1], t.count(b"@@"))'; }
[ "$(shape "$sqlite_port")" = "$(shape "${pg_ports[2]}")" ] ||
  { echo "bench/service: first pages differ between the stores" >&2; exit 1; }

# measure PATH PORT... [-- wrk args]: "rate p99" summed over the ports
measure() {
  local path=$1; shift
  local ports=() extra=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do ports+=("$1"); shift; done
  [ $# -gt 0 ] && { shift; extra=("$@"); }
  local n=${#ports[@]} i=0 wpids=()
  local threads=$(( n == 1 ? 2 : 1 ))
  for p in "${ports[@]}"; do
    wrk -t"$threads" -c$((connections / n)) -d"${duration}s" --latency "${extra[@]}" \
      "http://127.0.0.1:$p$path" >"$work/wrk.$i" 2>&1 &
    wpids+=($!); i=$((i + 1))
  done
  wait "${wpids[@]}" || true
  python3 - "$work" "$n" <<'PY'
import re, sys
rate, p99, bad = 0.0, 0.0, 0
for i in range(int(sys.argv[2])):
    t = open(f"{sys.argv[1]}/wrk.{i}").read()
    r = re.search(r"Requests/sec:\s*([\d.]+)", t)
    p = re.search(r"^\s*99%\s+([\d.]+)(us|ms|s)\b", t, re.M)
    e = re.search(r"Non-2xx or 3xx responses: (\d+)", t)
    if not r or not p:
        print("nan nan"); sys.exit()
    rate += float(r.group(1))
    p99 = max(p99, float(p.group(1)) * {"us": 0.001, "ms": 1.0, "s": 1000.0}[p.group(2)])
    bad += int(e.group(1)) if e else 0
print(f"{rate:.0f} {p99:.2f}" + (f" ({bad} non-2xx)" if bad else ""))
PY
}

echo "tarvolo-service: single SQLite server vs 1-3 servers on one PostgreSQL, wrk $connections connections, ${duration}s per run"
echo "each cell: requests/s, p99 in ms, requests/s as a share of the SQLite server's in the same row"
printf '%-34s %-22s %-22s %-22s %-22s\n' "load" "SQLite, 1 server" "PostgreSQL, 1" "PostgreSQL, 2" "PostgreSQL, 3"
close=(-- -H "Connection: close")
row() {  # label path [close]
  local label=$1 path=$2; shift 2
  local base pg1 pg2 pg3
  base=$(measure "$path" "$sqlite_port" "$@")
  pg1=$(measure "$path" "${pg_ports[0]}" "$@")
  pg2=$(measure "$path" "${pg_ports[0]}" "${pg_ports[1]}" "$@")
  pg3=$(measure "$path" "${pg_ports[@]}" "$@")
  share() { awk -v a="${1%% *}" -v b="${base%% *}" 'BEGIN { if (b > 0) printf "%.2fx", a / b }'; }
  printf '%-34s %-22s %-22s %-22s %-22s\n' "$label" "$base" \
    "$pg1 $(share "$pg1")" "$pg2 $(share "$pg2")" "$pg3 $(share "$pg3")"
}
row "poll, nothing new (keep-alive)" "$poll"
row "poll, nothing new (per request)" "$poll" "${close[@]}"
row "first page of a city (keep-alive)" "$page"
row "first page of a city (per request)" "$page" "${close[@]}"
