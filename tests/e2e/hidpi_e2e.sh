#!/usr/bin/env bash
# The windows at device pixel ratios 1 and 2 (QT_SCALE_FACTOR), for a person
# to look at: the client's test build against a real local service, under an
# Xvfb screen large enough for the main window at 2x (run_under_xvfb.sh with
# XVFB_SCREEN). For each ratio, screenshots of the main window, the detail
# window of the first row and the local search form go to
# ARTIFACT_DIR/hidpi/{main,detail,search_form}_x{1,2}.png, each taken once the
# X server shows the window and the client has painted it. Checked here: every
# window is shown, and at 2x each is twice as large as at 1x.
# Usage: hidpi_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2/hidpi
mkdir -p "$artifacts"
e2e_name="hidpi e2e"
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

send() { send_command "TARVOLO done" "$@"; }

start_service "$work/service.log" --demo --demo-count 300 --no-cache --db "$work/service.db"
use_service_host "$service_host"
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

# The X window's size in device pixels: "W H".
window_size() {
  xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}'
}

# shoot WINDOW-ID NAME: the window alone, once painted.
shoot() {
  send repaint
  import -window "$1" "$artifacts/$2.png"
  echo "$e2e_name: $artifacts/$2.png ($(window_size "$1" | tr ' ' x))"
}

declare -A sizes
for scale in 1 2; do
  export TARVOLO_SETTINGS=$work/settings_$scale.db
  remember_login demo_vip vip123
  : >"$work/client.log"
  rm -f "$work/in"
  mkfifo "$work/in"
  QT_SCALE_FACTOR=$scale "$build/tests/e2e/tarvolo-test-client" <"$work/in" \
    >"$work/client.log" 2>"$work/client.err" &
  client=$!
  pids+=($client)
  exec 3>"$work/in"
  wait_for_line "$work/client.log" "TARVOLO main-window-shown" 60
  wait_for_line "$work/client.log" "TARVOLO adverts-loaded" 30
  # The same layout at both ratios: 1300 x 850 in device-independent pixels.
  send resize 1300 850
  deadline=$((SECONDS + 20))
  until send dump 0 1 && (($(grep "TARVOLO feed-rows" "$work/client.log" | tail -1 | cut -d' ' -f3) > 0)); do
    ((SECONDS <= deadline)) || fail "no rows came"
    sleep 0.2
  done
  main_id=$(reported_id "$work/client.log" main-window-id)
  wait_shown "$main_id" 10
  shoot "$main_id" "main_x$scale"
  sizes[main_$scale]=$(window_size "$main_id")

  send detail 0
  wait_for_line "$work/client.log" "TARVOLO detail-window-id" 10
  detail_id=$(reported_id "$work/client.log" detail-window-id)
  wait_shown "$detail_id" 10
  shoot "$detail_id" "detail_x$scale"
  sizes[detail_$scale]=$(window_size "$detail_id")
  send detail-close

  send search-local
  wait_for_line "$work/client.log" "TARVOLO search-form-id" 10
  form_id=$(reported_id "$work/client.log" search-form-id)
  wait_shown "$form_id" 10
  shoot "$form_id" "search_form_x$scale"
  sizes[search_form_$scale]=$(window_size "$form_id")

  exec 3>&-
  kill "$client"
  wait "$client" 2>/dev/null || true
done

# At 2x a window keeps its layout: twice the device pixels (give or take the
# rounding of a few pixels of frame), not the 1x window with more room.
for window in main detail search_form; do
  read -r w1 h1 <<<"${sizes[${window}_1]}"
  read -r w2 h2 <<<"${sizes[${window}_2]}"
  if ((w2 < 2 * w1 - 4 || w2 > 2 * w1 + 4 || h2 < 2 * h1 - 4 || h2 > 2 * h1 + 4)); then
    fail "$window is ${w1}x$h1 at 1x but ${w2}x$h2 at 2x"
  fi
done
echo "$e2e_name: all steps passed"
