#!/usr/bin/env bash
# The information list as a screen reader sees it: the client's test build
# (tarvolo-test-client) against a real local service, under Xvfb (run through
# tests/e2e/run_under_xvfb.sh), on a private session bus with the
# accessibility bus of at-spi2-core; a pyatspi client (read_rows.py) reads the
# main window's list "信息列表" and its rows' texts, which must be the rows the
# grid shows. The rows read go to ARTIFACT_DIR/atspi_rows.txt.
# Exits 77 (skipped) when the at-spi pieces are not installed.
# Usage: atspi_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
if [ ! -x "$launcher" ] || ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
  echo "atspi e2e: at-spi2-core or python3-pyatspi missing: skipped"
  exit 77
fi
mkdir -p "$artifacts"
e2e_name="atspi e2e"
# shellcheck source=../e2e/e2e_lib.sh
source "$here/../e2e/e2e_lib.sh"

send() { send_command "TARVOLO done" "$@"; }

# A session bus of our own; the accessibility bus launcher registers on it.
start_session_bus
"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
pids+=($!)
# The launcher owns org.a11y.Bus once the accessibility bus is up.
deadline=$((SECONDS + 10))
until dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null 2>&1; do
  ((SECONDS <= deadline)) || fail "the accessibility bus did not start"
  sleep 0.1
done

start_service "$work/service.log" --demo --demo-count 300 --no-cache --quota 0 \
  --db "$work/service.db"
export TARVOLO_SETTINGS=$work/settings.db
use_service_host "$service_host"
remember_login demo_vip vip123

mkfifo "$work/in"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
  "$build/tests/e2e/tarvolo-test-client" <"$work/in" >"$work/client.log" 2>"$work/client.err" &
pids+=($!)
exec 3>"$work/in"
wait_for_line "$work/client.log" "TARVOLO main-window-shown" 60

# Rows in the grid first.
deadline=$((SECONDS + 20))
until send dump 0 3 && (($(grep "TARVOLO feed-rows" "$work/client.log" | tail -1 | cut -d' ' -f3) > 0)); do
  ((SECONDS <= deadline)) || fail "no rows came"
  sleep 0.2
done
grep "TARVOLO feed-row " "$work/client.log" | tail -3 >"$work/grid_rows.txt"

timeout 40 /usr/bin/python3 "$here/read_rows.py" tarvolo 信息列表 30 \
  >"$work/rows.txt" 2>"$work/rows.err" || {
  cat "$work/rows.txt" "$work/rows.err" >&2
  fail "the list was not read through the accessibility bus"
}
cp "$work/rows.txt" "$artifacts/atspi_rows.txt"
echo "atspi e2e: $(tail -1 "$work/rows.txt"); first: $(sed -n 1p "$work/rows.txt")"
# Every row the grid reports is read out with its text.
while IFS= read -r line; do
  # The row's text up to its first colour marker.
  text=$(cut -d' ' -f5 <<<"$line" | sed 's/[ΞΨδ§].*//')
  [ -n "$text" ] || continue
  grep -qF -- "$text" "$work/rows.txt" || fail "row text '$text' not read out"
done <"$work/grid_rows.txt"
echo "atspi e2e: all steps passed"
