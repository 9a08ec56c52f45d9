#!/usr/bin/env bash
# End to end for publishing: the real tarvolo against a real local service,
# under Xvfb (run through tests/e2e/run_under_xvfb.sh).
#   1. demo_vip generates two lines in "发布信息(改进)", publishes; the form
#      closes and the message is on top of the list
#   2. the same text again gets the duplicate notice and the form stays open
#   3. "发布信息(经典)": keys, phrase menus and region names, published on top
#   4. "历史/重发": an entry taken back into the form; two entries put on a
#      loop with a 3-second period arrive on top of the list in turn
#   5. demo_nopub gets the no-right notice
# Screenshots go to ARTIFACT_DIR/publish_*.png.
# Usage: publish_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
e2e_name="publish e2e"
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"
log=$work/client.log
client_pid=

count() { grep -cF -- "$1" "$log" || true; }

# Waits until the client has seen `pattern` once more than before `command`.
after() {  # pattern seconds command...
  local pattern=$1 seconds=$2 before
  shift 2
  before=$(count "$pattern")
  "$@"
  local deadline=$((SECONDS + seconds))
  until (($(count "$pattern") > before)); do
    ((SECONDS <= deadline)) || fail "no '$pattern' after '$*'"
    sleep 0.05
  done
}

# One line to the publishing hooks / to the feed hooks, waited for.
to_publishing() { echo "$1" >&4; }
to_feed() { echo "$1" >&3; }
p() { after "TARVOLO publish-done $*" 10 to_publishing "$*"; }
f() { after "TARVOLO done $*" 10 to_feed "$*"; }
send() { f "$@"; }

top_row() {  # the text of row 0 as the grid holds it now, without its marks
  f dump 0 1
  grep "TARVOLO feed-row 0 " "$log" | tail -1 | cut -d' ' -f4- | sed 's/[Ξ§]//g'
}
editor() { grep "TARVOLO publish-editor" "$log" | tail -1 | cut -d' ' -f3-; }

start_service "$work/service.log" --demo --demo-count 600 --no-cache --quota 0 \
  --db "$work/service.db"
host=$service_host
cli=$build/cli/tarvolo-cli

history_key='Software\Microsoft\Windows\CurrentVersion\tavrelomin\'
start_client() {  # user password
  export TARVOLO_SETTINGS=$work/settings-$1.db
  remember_login "$1" "$2" 2
  rm -f "$work/in" "$work/publish"
  mkfifo "$work/in" "$work/publish"
  : >"$log"
  TARVOLO_TEST_PUBLISH_INPUT=$work/publish "$build/tests/e2e/tarvolo-test-client" <"$work/in" >"$log" \
    2>"$work/client.err" &
  client_pid=$!
  pids+=($client_pid)
  exec 3>"$work/in" 4<>"$work/publish"
  wait_for_line "$log" "TARVOLO feed-first-page 1" 60
  wait_for_line "$log" "TARVOLO main-window-shown" 30
}
stop_client() {
  exec 3>&- 4>&-
  kill "$client_pid" 2>/dev/null || true
  wait "$client_pid" 2>/dev/null || true
}

use_service_host "$host"
export TARVOLO_LOOP_PERIOD_MS=3000
# Two older messages in demo_vip's history, never sent in this run.
export TARVOLO_SETTINGS=$work/settings-demo_vip.db
"$cli" settings create "$history_key" >/dev/null
"$cli" settings set "$history_key" 1 "货源：循环甲 郑州到广州 有货30吨 $RANDOM" >/dev/null
"$cli" settings set "$history_key" 2 "车源：循环乙 郑州回程车 9.6米 $RANDOM" >/dev/null
"$cli" settings set "$main_key" strCounttavrelomin 2 >/dev/null
start_client demo_vip vip123

# 1. two generated lines, published, on top
after "TARVOLO publish-form-shown 发布信息2" 10 to_publishing "open quick"
p dest 北京市 北京
p cargo goods=钢材 quantity=20 count=2 length=9.6 type=平板 freight=高价急走
p generate
line1="郑州→北京,有钢材20吨货,求2辆9.6米平板车,高价急走"
[ "$(editor)" = "$line1" ] || fail "first line reads '$(editor)'"
p dest 上海市 上海
p cargo price=150 priceunit=吨
p generate
line2="郑州→上海,有钢材20吨货,求2辆9.6米平板车,150元/吨"
[ "$(editor)" = "$line1；$line2" ] || fail "two lines read '$(editor)'"
shot publish_1_quick_form.png
after "TARVOLO publish-finished 1 3" 15 p publish
row=$(top_row)
[[ $row == *"$line1"* ]] || fail "row 0 is not the published message: $row"
echo "publish e2e: published and on top: ${row:0:60}..."
shot publish_2_list_after_publishing.png

# 2. the same text again
after "TARVOLO publish-form-shown 发布信息2" 10 to_publishing "open quick"
p text "$line1；$line2"
after "TARVOLO notice       相同信息不能重复发布" 15 p publish
wait_for_line "$log" "TARVOLO publish-finished 0 1" 10
echo "publish e2e: duplicate refused, form kept"
sleep 1.6  # the notice closes itself
p close

# 3. the keypad form
after "TARVOLO publish-form-shown 发布信息1" 10 to_publishing "open classic"
p region 河南省 郑州
p key 到
p region 湖北省 武汉
p key ，
p key 有
p menu [货物2] 钢材
p key 2
p key 0
p key 吨
p key 货
p key ，
p menu [常用短语] 马上装车
p menu [常用词] 明天
keypad_text="郑州到武汉，有钢材20吨货，马上装车明天"
[ "$(editor)" = "$keypad_text" ] || fail "keypad text reads '$(editor)'"
shot publish_3_keypad_form.png
after "TARVOLO publish-finished 1 3" 15 p publish
row=$(top_row)
[[ $row == *"$keypad_text"* ]] || fail "row 0 is not the keypad message: $row"
echo "publish e2e: keypad message on top"

# 4. history and loop
after "TARVOLO publish-form-shown 发布信息1" 10 to_publishing "open classic"
after "TARVOLO publish-history 4" 10 p history
shot publish_4_history_dialog.png
p use 0
[ "$("$cli" settings get "$main_key" strCounttavrelomin)" = 4 ] || fail "counter is not 4"
p history
p loopadd 2
p loopadd 3
p loop 0
shot publish_5_loop_running.png
p closehistory
p close
wait_for_line "$log" "TARVOLO publish-loop-turn 1 1 车源：循环乙" 15
row=$(top_row)
[[ $row == *"循环乙"* ]] || fail "row 0 is not the first loop message: $row"
wait_for_line "$log" "TARVOLO publish-loop-turn 1 1 货源：循环甲" 15
row=$(top_row)
[[ $row == *"循环甲"* ]] || fail "row 0 is not the second loop message: $row"
echo "publish e2e: loop messages arrived on top in turn"
shot publish_6_loop_on_top.png
stop_client

# 5. a member who may not publish
# is told when asking for the form, before filling one in
start_client demo_nopub nopub123
after "TARVOLO notice 对不起，您暂时没有权限使用该发布功能" 10 to_publishing "open quick"
echo "publish e2e: no-right notice shown"
stop_client
echo "publish e2e: all steps passed"
