#!/usr/bin/env bash
# The information list as a screen reader sees it: the client's test build
# (tarvolo-test-client) against a real local service, under Xvfb (run through
# tests/e2e/run_under_xvfb.sh), on a private session bus with the
# accessibility bus of at-spi2-core; a pyatspi client (read_rows.py) reads the
# main window's list "信息列表" and its rows' texts, which must be the rows the
# grid shows. Then the grid's focus row moves with the Down key, and a
# listening client (watch_focus.py) must be told of the newly focused row,
# with that row's text. The rows read go to ARTIFACT_DIR/atspi_rows.txt, what
# the listener heard to ARTIFACT_DIR/atspi_focus.txt.
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

# The focus row moves: a screen reader hears of the new row, by its text.
# The listener registers first; the program may learn of it a moment later,
# so the key is pressed again until an announcement of the row it moved to
# comes (bounded).
/usr/bin/python3 "$here/watch_focus.py" tarvolo 信息列表 "$work/focus.ready" 40 \
  >"$work/focus.txt" 2>"$work/focus.err" &
pids+=($!)
wait_for_line "$work/focus.ready" listening 30
focus_field() { grep "TARVOLO grid-focus " "$work/client.log" | tail -1 | cut -d' ' -f"$1"; }
send key Up  # the grid takes the focus, on its first row
[ "$(focus_field 4)" = 1 ] || fail "the grid did not take the focus"
deadline=$((SECONDS + 20))
heard=
until [ -n "$heard" ]; do
  ((SECONDS <= deadline)) || {
    cat "$work/focus.txt" "$work/focus.err" >&2
    fail "no announcement of the row the focus moved to"
  }
  before=$(focus_field 3)
  heard_before=$(wc -l <"$work/focus.txt")
  send key Down
  focus_row=$(focus_field 3)
  focus_text=$(focus_field 5-)
  ((focus_row == before + 1)) || fail "Down moved the focus from row $before to $focus_row"
  wait_until=$((SECONDS + 2))
  while ((SECONDS <= wait_until)); do
    if tail -n +$((heard_before + 1)) "$work/focus.txt" | grep -qxF -- "FOCUSED $focus_row $focus_text"; then
      heard="row $focus_row"
      break
    fi
    sleep 0.1
  done
done
cp "$work/focus.txt" "$artifacts/atspi_focus.txt"
echo "atspi e2e: focus announced for $heard: $(grep -F "FOCUSED $focus_row " "$work/focus.txt" | tail -1)"
echo "atspi e2e: all steps passed"
