#!/usr/bin/env bash
# Polls per second over TLS beside plain HTTP, one tarvolo-service serving
# both (--tls-listen) in the same run: "GetNewDatas" polls that find nothing
# new, under wrk (100 connections on loopback), kept alive and with one
# connection per request (as the client does). TLS: an ECDSA P-256
# certificate of a throwaway CA; a new connection costs a full handshake.
#   usage: bench/service/tls_polls.sh [seconds per run, default 10]
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${TARVOLO_BUILD_DIR:-build}
service_bin=$build_dir/service/tarvolo-service
duration=${1:-10}
connections=100
threads=2

for tool in wrk openssl curl base64 python3; do
  command -v "$tool" >/dev/null || { echo "bench/service: $tool is missing" >&2; exit 1; }
done
if [ ! -x "$service_bin" ]; then
  TARVOLO_BUILD_DIR=$build_dir bash scripts/build.sh --target tarvolo-service >/dev/null
fi

work=$(mktemp -d /tmp/tv-bench-tls.XXXXXX)
service_pid=""
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
  -keyout "$work/key.pem" -out "$work/cert.pem" -subj /CN=127.0.0.1 \
  -addext subjectAltName=IP:127.0.0.1 2>/dev/null
"$service_bin" --db "$work/bench.db" --demo --demo-count 3000 --listen 127.0.0.1:0 \
  --tls-listen 127.0.0.1:0 --tls-cert "$work/cert.pem" --tls-key "$work/key.pem" \
  >"$work/out" 2>"$work/log" &
service_pid=$!
for _ in $(seq 1 300); do
  [ "$(grep -c '^listening on' "$work/out" 2>/dev/null)" = 2 ] && break
  sleep 0.1
done
plain_port=$(grep -v https "$work/out" | sed 's/.*://')
tls_port=$(grep https "$work/out" | sed 's/.*://')

code=$(printf '%%D6%%A3%%D6%%DD')  # "郑州" in GBK
path=/qavel/client
newest=$(curl -s "http://127.0.0.1:$plain_port$path/GetSearchInfo.asp?action=GetTopDatas" | base64 -d |
  python3 -c 'import sys; print(sys.stdin.buffer.read().split(b"@@")[2].split(b"||")[0].decode())')
poll="$path/GetInfo.asp?action=GetNewDatas&maxid=$newest&Code=$code&inType=8"
[ "$(curl -s --cacert "$work/cert.pem" "https://127.0.0.1:$tls_port$poll" | base64 -d)" = "@@" ] ||
  { echo "bench/service: the TLS poll is not empty" >&2; exit 1; }

# wrk URL [extra args]: prints "rate p99-ms errors"
measure() {
  local url=$1; shift
  wrk -t"$threads" -c"$connections" -d"${duration}s" --latency "$@" "$url" >"$work/wrk.out" 2>&1 || true
  python3 - "$work/wrk.out" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
rate = re.search(r"Requests/sec:\s*([\d.]+)", text)
p99 = re.search(r"^\s*99%\s+([\d.]+)(us|ms|s)\b", text, re.M)
errors = re.search(r"Non-2xx or 3xx responses: (\d+)", text)
sock = re.search(r"Socket errors: connect (\d+), read (\d+), write (\d+), timeout (\d+)", text)
if not rate or not p99:
    print("nan nan nan"); sys.exit()
scale = {"us": 0.001, "ms": 1.0, "s": 1000.0}[p99.group(2)]
bad = (int(errors.group(1)) if errors else 0) + (sum(map(int, sock.groups())) if sock else 0)
print(f"{float(rate.group(1)):.0f} {float(p99.group(1)) * scale:.2f} {bad}")
PY
}

printf '%-28s %12s %10s %8s\n' "polls" "requests/s" "p99 ms" "errors"
for mode in keep-alive one-per-request; do
  extra=()
  [ "$mode" = one-per-request ] && extra=(-H "Connection: close")
  read -r plain_rate plain_p99 plain_bad < <(measure "http://127.0.0.1:$plain_port$poll" "${extra[@]}")
  read -r tls_rate tls_p99 tls_bad < <(measure "https://127.0.0.1:$tls_port$poll" "${extra[@]}")
  printf '%-28s %12s %10s %8s\n' "plain HTTP, $mode" "$plain_rate" "$plain_p99" "$plain_bad"
  printf '%-28s %12s %10s %8s\n' "TLS, $mode" "$tls_rate" "$tls_p99" "$tls_bad"
  python3 -c "import sys; p, t = map(float, sys.argv[1:]); print(f'  TLS / plain: {t / p:.2f}')" \
    "$plain_rate" "$tls_rate"
done
