#!/usr/bin/env bash
# End to end for route subscriptions: the client's test build
# (tarvolo-test-client) against a real local service, under Xvfb (run
# through tests/e2e/run_under_xvfb.sh), on a private session bus where the
# recording notification service stands in for the desktop's. Logged in as
# demo_vip:
#   1. two subscriptions made through "我的订阅" and its form
#   2. another window of ours in front: a message published for each comes
#      into its own tab, with the unread count on the tab and a notification
#      on the bus for each
#      (a click on one brings the window back)
#   3. the client restarted: both tabs come back with their kept matches
#   (the tab shown reads the matches on screen: its count goes)
# Screenshots: ARTIFACT_DIR/subscribe_tabs.png, subscribe_restarted.png.
# Usage: subscribe_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
e2e_name="subscribe e2e"
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"

send() { send_command "TARVOLO done" "$@"; }
last() { grep "TARVOLO $1" "$work/client.log" | tail -1; }

start_notification_recorder

start_service "$work/service.log" --demo --demo-count 300 --no-cache --quota 0 \
  --db "$work/service.db"
export TARVOLO_SETTINGS=$work/settings.db
use_service_host "$service_host"
remember_login demo_vip vip123 2

start_client() {
  rm -f "$work/in"
  mkfifo "$work/in"
  "$build/tests/e2e/tarvolo-test-client" <"$work/in" >"$work/client.log" 2>"$work/client.err" &
  client_pid=$!
  pids+=("$client_pid")
  exec 3>"$work/in"
  wait_for_line "$work/client.log" "TARVOLO main-window-shown" 60
}

# 1. two subscriptions through the window
start_client
send subs-add 郑州 北京 2
wait_for_line "$work/client.log" "TARVOLO subs-count 1" 5
send subs-add 郑州 上海 0
wait_for_line "$work/client.log" "TARVOLO subs-count 2" 5
send subs-close
wait_for_line "$work/client.log" "TARVOLO subs-started 2 " 10

# 2. out of sight: a match for each, in its own tab, counted and notified
send open-page /qavel/manager/myinfos.asp
wait_active 0 "the main window stayed in front of the web page window"
before=$(notifications)
id1=$(publish_as_demo_member 郑州 "郑州到北京 钢材20吨 订阅甲")
wait_for_line "$work/client.log" "TARVOLO subs-alert 1 " 10
id2=$(publish_as_demo_member 郑州 "郑州到上海 家具 订阅乙")
wait_for_line "$work/client.log" "TARVOLO subs-alert 2 " 10
deadline=$((SECONDS + 10))
until (($(notifications) >= before + 2)); do
  ((SECONDS <= deadline)) || fail "no notification for each subscription"
  sleep 0.1
done
grep "^NOTIFY id=" "$work/recorder.log" | tail -2 | tee "$artifacts/subscribe_notifications.txt"
grep -q "summary=郑州→北京 全部：新信息 1 条 body=郑州到北京 钢材20吨 订阅甲" "$work/recorder.log" ||
  fail "the first subscription's notification is not there"
send subs-dump
grep "TARVOLO subs-" "$work/client.log" | tail -6
[[ $(last "subs-rows 1 ") == *"订阅甲"* ]] || fail "the first tab does not show its match on top"
[[ $(last "subs-rows 2 ") == *"订阅乙"* ]] || fail "the second tab does not show its match on top"
[[ $(last "subs-tab 1 ") == *"郑州→上海 货源 ("[0-9]*")"* ]] ||
  fail "no unread count on the second tab: $(last "subs-tab 1 ")"
echo "subscribe e2e: matches $id1 and $id2 in their tabs"
# A click on the first one's notification brings the window back.
note=$(grep "^NOTIFY id=.*summary=郑州→北京" "$work/recorder.log" | tail -1 | sed -n 's/^NOTIFY id=\([0-9]*\) .*/\1/p')
echo "click $note" >&4
wait_for_line "$work/recorder.log" "NOTIFY clicked $note" 5
wait_active 1 "the notification's click did not bring the main window back"
send repaint
shot subscribe_tabs.png
send subs-tab 1
send subs-dump
[[ $(last "subs-tab 1 ") == "TARVOLO subs-tab 1 郑州→上海 货源" ]] ||
  fail "the second tab's matches on screen are still unread: $(last "subs-tab 1 ")"

# 3. restarted: the kept matches come back at once
exec 3>&-
kill "$client_pid"
wait "$client_pid" 2>/dev/null || true
start_client
wait_for_line "$work/client.log" "TARVOLO subs-started 2 " 10
send subs-dump
[[ $(last "subs-rows 1 ") == *"订阅甲"* ]] || fail "the first tab lost its match on restart"
[[ $(last "subs-rows 2 ") == *"订阅乙"* ]] || fail "the second tab lost its match on restart"
send repaint
shot subscribe_restarted.png
echo "subscribe e2e: ok"
