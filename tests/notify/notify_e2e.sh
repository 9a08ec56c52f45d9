#!/usr/bin/env bash
# End to end for the desktop notifications: the client's test build
# (tarvolo-test-client) against a real local service, under Xvfb (run through
# tests/e2e/run_under_xvfb.sh), on a private session bus where our recording
# notification service (tarvolo-notify-recorder) stands in for the desktop's.
# Logged in as demo_vip with a local search shown:
#   1. another window of the program in front: a published match raises one
#      notification, "1 条新匹配信息" with the match's text
#   2. the next match replaces it (same id)
#   3. a click on it brings the main window to the front
# (That none comes while the window is in front is the window tests' part.)
# A screenshot after the click: ARTIFACT_DIR/notify_after_click.png.
# The recorder's lines go to ARTIFACT_DIR/notify_received.txt.
# Usage: notify_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
e2e_name="notify e2e"
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"

send() { send_command "TARVOLO done" "$@"; }

# The next notification after `before`, within a few refresh periods.
wait_notification() {  # before
  local deadline=$((SECONDS + 15))
  until (($(notifications) > $1)); do
    ((SECONDS <= deadline)) || fail "no notification came"
    sleep 0.1
  done
  grep "^NOTIFY id=" "$work/recorder.log" | tail -1
}

# A bus of our own, where the recorder is the notification service.
start_notification_recorder

start_service "$work/service.log" --demo --demo-count 300 --no-cache --quota 0 \
  --db "$work/service.db"
export TARVOLO_SETTINGS=$work/settings.db
use_service_host "$service_host"
remember_login demo_vip vip123 2

mkfifo "$work/in"
"$build/tests/e2e/tarvolo-test-client" <"$work/in" >"$work/client.log" 2>"$work/client.err" &
pids+=($!)
exec 3>"$work/in"
wait_for_line "$work/client.log" "TARVOLO main-window-shown" 60

send search-local
wait_for_line "$work/client.log" "TARVOLO search-form" 5
send search-keyword 煤炭
send search-go
wait_for_line "$work/client.log" "TARVOLO search-first-page" 10

# 1. out of sight (another window of ours in front): a match raises a
#    notification
send open-page /qavel/manager/myinfos.asp
wait_active 0 "the main window stayed in front of the web page window"
publish_as_demo_member 郑州 "煤炭30吨 郑州到济宁 通知甲" >/dev/null
first=$(wait_notification 0)
echo "notify e2e: $first"
[[ $first == *"replaces=0 summary=1 条新匹配信息 body=【郑州】煤炭30吨 郑州到济宁 通知甲 "* ]] ||
  fail "wrong notification: $first"
id=$(sed -n 's/^NOTIFY id=\([0-9]*\) .*/\1/p' <<<"$first")

# 2. the next one replaces it
publish_as_demo_member 郑州 "煤炭12吨 郑州到济宁 通知乙" >/dev/null
second=$(wait_notification 1)
echo "notify e2e: $second"
[[ $second == "NOTIFY id=$id replaces=$id summary=1 条新匹配信息 body="*"通知乙 "* ]] ||
  fail "not a replacement: $second"

# 3. a click on it brings the main window to the front
echo "click $id" >&4
wait_for_line "$work/recorder.log" "NOTIFY clicked $id" 5
wait_active 1 "the click did not bring the main window back"
shot notify_after_click.png
cp "$work/recorder.log" "$artifacts/notify_received.txt"
echo "notify e2e: all steps passed"
