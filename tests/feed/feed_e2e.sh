#!/usr/bin/env bash
# End to end for the live feed: the client's test build (tarvolo-test-client)
# against a real local service with live traffic, under Xvfb (run through
# tests/e2e/run_under_xvfb.sh).
#   1. after login the grid shows the member's city (highlighted region name,
#      blue telephone, grey time)
#   2. a message published on the service appears on top within one refresh
#   3. a deleted message reads "该条信息已被删除!" after the deletion poll
#   4. "末页" loads the last rows
#   5. the multi-area form applies two cities; the caption reads "◆ A·B";
#      the new list is shown from its top, though "末页" had scrolled the
#      last one to its end
#   6. Page Down pressed past the loaded rows loads the rows it shows
#   7. a region without messages says so in the grid
#   8. the service stops: "刷新" keeps the rows, the status line tells of the
#      outage; the service comes back, the list recovers by itself and the
#      status line is cleared
#   9. a window 1024 pixels wide still shows its rows (times and telephone
#      numbers are not split across lines: see the screenshot)
# Screenshots go to ARTIFACT_DIR/feed_*.png.
# Usage: feed_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
e2e_name="feed e2e"
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"

send() { send_command "TARVOLO done" "$@"; }

wait_for_more() {  # pattern count-before seconds: one more such line than before
  local deadline=$((SECONDS + $3))
  until (($(count_lines "$1") > $2)); do
    ((SECONDS <= deadline)) || fail "timed out waiting for another '$1'"
    sleep 0.1
  done
}

filled_rows() {  # first count -> how many of those rows hold a message
  send dump "$1" "$2"
  local n=0 r
  for ((r = $1; r < $1 + $2; r++)); do
    [[ $(row_text $r) == *"【"* ]] && n=$((n + 1))
  done
  echo "$n"
}

top_row() {
  send dump 0 0
  grep "TARVOLO feed-rows" "$work/client.log" | tail -1 | cut -d' ' -f5
}

row_text() {  # row -> "id text" of the last dump of that row
  grep "TARVOLO feed-row $1 " "$work/client.log" | tail -1 | cut -d' ' -f4-
}

cli=$build/cli/tarvolo-cli
start_service "$work/service.log" --demo --demo-count 600 --no-cache --quota 0 --simulate 5 \
  --db "$work/service.db"
host=$service_host

# 1. the member's city
start_feed_client "$host" demo_vip vip123
send dump 0 3
first=$(row_text 0)
echo "feed e2e: row 0: $first"
[[ $first == *"【郑州】"* ]] || fail "row 0 is not a message of the member's city"
[[ $first == *"Ψ"*"§ δ"*"§" ]] || fail "row 0 lacks its telephone and time marks"
grep -q "TARVOLO feed-caption ◆ 郑州(0371)" "$work/client.log" || fail "caption is not the member's city"
shot feed_1_city.png

# 2. a new message on top within one refresh period (2 s)
content="端到端新消息 郑州到西安 有货8吨 $RANDOM"
new_id=$(publish_as_demo_member 郑州 "$content")
published=$SECONDS
wait_for_line "$work/client.log" "TARVOLO feed-new-records [0-9]* $new_id" 5
echo "feed e2e: new message $new_id on top after $((SECONDS - published)) s"
send dump 0 2
[[ $(row_text 0) == "$new_id "*"端到端新消息"* ]] || fail "row 0 is not the new message: $(row_text 0)"
shot feed_2_new_on_top.png

# 3. a deletion marks the row
victim=$(row_text 1 | cut -d' ' -f1)
python3 - "$work/service.db" "$victim" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("update messages set deleted = 1 where id = ?", (sys.argv[2],))
db.execute("insert into deleted_log(info_id, at) values(?, strftime('%s','now'))", (sys.argv[2],))
db.commit()
PY
# The deletion poll runs every 3 s here; a tick already under way may miss
# the deletion, so look until the row reads as deleted.
marked() {
  send dump 0 8
  grep "TARVOLO feed-row [0-9]* $victim " "$work/client.log" | tail -1 | grep -q "该条信息已被删除!"
}
deadline=$((SECONDS + 12))
until marked; do
  ((SECONDS <= deadline)) || fail "deleted message $victim is not marked"
  sleep 0.5
done
echo "feed e2e: deleted message $victim marked"
shot feed_3_deleted.png

# 4. "末页" loads the last rows
pages=$(grep -c "TARVOLO feed-page" "$work/client.log" || true)
send press 1021
deadline=$((SECONDS + 10))
until (($(grep -c "TARVOLO feed-page [0-9]* 1" "$work/client.log" || true) > pages)); do
  ((SECONDS <= deadline)) || fail "no page fetched after 末页"
  sleep 0.1
done
send dump 0 0
rows=$(grep "TARVOLO feed-rows" "$work/client.log" | tail -1 | cut -d' ' -f3)
# A row deleted since the first page stays in the grid but no longer in the
# server's list, so the very last row may stay empty; the rows above it fill.
send dump $((rows - 10)) 10
filled=0
for ((r = rows - 10; r < rows; r++)); do
  [[ $(row_text $r) == *"【"* ]] && filled=$((filled + 1))
done
((filled >= 8)) || fail "only $filled of the last 10 rows filled after 末页"
echo "feed e2e: $filled of the last 10 rows of $rows filled after 末页"
shot feed_4_last_page.png

# 5. the multi-area form
send multiarea "河南省:郑州,湖北省:武汉"
grep -q "TARVOLO feed-form 2" "$work/client.log" || fail "the form did not take two cities"
shot feed_5_multi_area_form.png
send confirm
wait_for_line "$work/client.log" "TARVOLO feed-caption ◆ 郑州·武汉" 10
wait_for_line "$work/client.log" "TARVOLO feed-reload 1" 10
[ "$("$cli" settings get "$main_key" MutiArea_tavrelomin 2>/dev/null)" = "郑州+武汉" ] ||
  echo "feed e2e: note: stored multi-area text not read back by the cli"
# A new list starts at its newest message, wherever "末页" left the last one.
top=$(top_row)
((top == 0)) || fail "the new list is shown from row $top, not from its top"
deadline=$((SECONDS + 10))
until (($(filled_rows 0 8) == 8)); do
  ((SECONDS <= deadline)) || fail "only $(filled_rows 0 8) of the first 8 rows filled after the reload"
  sleep 0.1
done
shot feed_6_multi_area_applied.png

# 6. Page Down past the loaded rows: what comes into view loads
send press 1018
pages=$(count_lines "TARVOLO feed-page [0-9]* 1")
for _ in 1 2 3 4; do send key PageDown; done
top=$(top_row)
((top > 30)) || fail "four Page Downs only reached row $top"
wait_for_more "TARVOLO feed-page [0-9]* 1" "$pages" 10
# The rows in view may take a second page: look until they are all filled.
deadline=$((SECONDS + 10))
until (($(filled_rows "$top" 5) == 5)); do
  ((SECONDS <= deadline)) || fail "only $(filled_rows "$top" 5) of the 5 rows from row $top filled after Page Down"
  sleep 0.1
done
echo "feed e2e: Page Down to row $top loaded the rows in view"
shot feed_7_page_down_loads.png

# 7. a region without messages
reloads=$(count_lines "TARVOLO feed-reload ")
send region 三沙
wait_for_more "TARVOLO feed-reload " "$reloads" 10
send dump 0 0
grep "TARVOLO feed-rows" "$work/client.log" | tail -1 | grep -q "feed-rows 0 .*caption ◆ 三沙" ||
  fail "the region without messages is not shown empty: $(grep "TARVOLO feed-rows" "$work/client.log" | tail -1)"
grep "TARVOLO feed-empty-text" "$work/client.log" | tail -1 | grep -q "该地区暂无信息" ||
  fail "the empty grid does not say that the region has no messages"
shot feed_8_empty_region.png

# 8. an outage
reloads=$(count_lines "TARVOLO feed-reload 1")
send region 郑州
wait_for_more "TARVOLO feed-reload 1" "$reloads" 10
kill "${pids[0]}"
wait "${pids[0]}" 2>/dev/null || true
failed=$(count_lines "TARVOLO feed-reload 0")
send press 1017
wait_for_more "TARVOLO feed-reload 0" "$failed" 15
wait_for_line "$work/client.log" "TARVOLO feed-connection lost" 10
filled=$(filled_rows 0 5)
((filled == 5)) || fail "a failed reload left $filled of the first 5 rows"
grep "TARVOLO feed-status" "$work/client.log" | tail -1 | grep -q "网络连接中断，正在重新连接…" ||
  fail "the status line does not tell of the outage: $(grep "TARVOLO feed-status" "$work/client.log" | tail -1)"
echo "feed e2e: service stopped; after 刷新 the rows stay"
shot feed_9_outage.png
reloads=$(count_lines "TARVOLO feed-reload 1")
backs=$(count_lines "TARVOLO feed-connection back")
"$build/service/tarvolo-service" --listen "$host" --no-cache --quota 0 --db "$work/service.db" \
  >"$work/service2.log" 2>&1 &
pids+=($!)
wait_for_line "$work/service2.log" "listening on" 30
restarted=$SECONDS
wait_for_more "TARVOLO feed-reload 1" "$reloads" 20
wait_for_more "TARVOLO feed-connection back" "$backs" 10
echo "feed e2e: service back; the list recovered by itself after $((SECONDS - restarted)) s"
filled=$(filled_rows 0 5)
((filled == 5)) || fail "after the outage only $filled of the first 5 rows are filled"
! grep "TARVOLO feed-status" "$work/client.log" | tail -1 | grep -q "网络连接中断" ||
  fail "the status line still tells of an outage: $(grep "TARVOLO feed-status" "$work/client.log" | tail -1)"
shot feed_10_recovered.png

# 9. a window 1024 wide: the rows are fitted again to the narrower list
send resize 1024 720
grep -q "TARVOLO window-size 1024 " "$work/client.log" || fail "the window did not take 1024 pixels"
deadline=$((SECONDS + 10))
until (($(filled_rows 0 5) == 5)); do
  ((SECONDS <= deadline)) || fail "a narrower window left rows empty"
  sleep 0.1
done
shot feed_11_narrow_window.png
echo "feed e2e: all steps passed"
