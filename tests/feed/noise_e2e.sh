#!/usr/bin/env bash
# End to end for a quieter list: the client's test build (tarvolo-test-client)
# against a real local service, under Xvfb (run through
# tests/e2e/run_under_xvfb.sh).
#   1. offices re-send their texts on the loop while the list runs: each text
#      is one row on top, marked "【重复N次】", and the count says how many
#      copies were folded
#   2. the folded row's detail window lists its copies' times; "屏蔽此会员"
#      in one office's detail window: its rows are gone
#   3. the filter bar on 9.6米: only rows naming 9.6米 (or 9米6) stay, the
#      count reads "显示 X / 共 N 条"
#   4. "导出..." writes those rows; the file reads back as UTF-8 CSV with
#      the head line and X rows of eight columns
#   5. the filter closed: the list is whole again
# Screenshots go to ARTIFACT_DIR/noise_*.png.
# Usage: noise_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
e2e_name="noise e2e"
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"

send() { send_command "TARVOLO done" "$@"; }

cli=$build/cli/tarvolo-cli
# The offices publish straight through the page, without a member's key.
start_service "$work/service.log" --demo --demo-count 300 --no-cache --quota 0 \
  --allow-unsigned-members --db "$work/service.db"
host=$service_host
db=$work/service.db

sql() { python3 -c 'import sqlite3, sys; c = sqlite3.connect(sys.argv[1]); r = c.execute(sys.argv[2]).fetchall(); c.commit(); print(r[0][0] if r else "")' "$db" "$1"; }
member_id() { sql "select id from members where username = '$1'"; }

company() {  # member -> its company (GBK as stored), percent-encoded
  python3 -c 'import sqlite3, sys, urllib.parse
c = sqlite3.connect(sys.argv[1]); c.text_factory = bytes
print(urllib.parse.quote(c.execute("select company from members where id = ?", (sys.argv[2],)).fetchone()[0], safe=""))' "$db" "$1"
}
publish() {  # sign member content
  # The office's own company; no contact line: the service writes its telephone.
  local answer
  answer=$(curl -s -X POST "http://$host/qavel/client/SetInfo.asp?action=Client_AddInfo&AddSign=$1&Msg_Code=$(gbk 郑州)&Msg_StartCity=$(gbk 郑州)&Msg_Type=0&Msg_Content=$(gbk "$3")&Msg_Company=$(company "$2")&Msg_Tel=&Msg_Flag=$2")
  [ "$(echo "$answer" | base64 -d)" = AddOK ] || fail "publish $1 answered $answer"
}

office1=$(member_id demo_member)
office2=$(member_id demo_pub01)
office3=$(member_id demo_pub02)
text1="郑州到广州 钢材30吨 求9.6米高栏车"
text2="郑州到上海 家电15吨 求17.5米平板"
text3="郑州到西安 化肥20吨 求9米6厢车"
publish NewInfo "$office1" "$text1"
publish NewInfo "$office2" "$text2"
publish NewInfo "$office3" "$text3"

start_feed_client "$host" demo_vip vip123

shown_lines() {  # n -> the "feed-shown" lines of a fresh "shown n"
  local before
  before=$(count_lines "TARVOLO feed-shown ")
  send shown "$1"
  # The rows as read: without the colour marks of the row text.
  grep "TARVOLO feed-shown " "$work/client.log" | tail -n +$((before + 1)) | sed 's/[ΞΨδ§]//g'
}
last_count() { grep "TARVOLO feed-count " "$work/client.log" | tail -1 | cut -d' ' -f3-; }

# 1. two loop turns, three minutes apart as the service sees them
for turn in 2 3; do
  sql "update messages set created = created - 200" >/dev/null
  publish LoopInfo "$office1" "$text1"
  publish LoopInfo "$office2" "$text2"
  newest=$(sql "select max(id) from messages")
  deadline=$((SECONDS + 30))
  until shown_lines 3 | grep -q " $newest "; do
    ((SECONDS <= deadline)) || fail "turn $turn: message $newest never came on top"
    sleep 0.5
  done
done
rows=$(shown_lines 40)
for text in "$text1" "$text2"; do
  n=$(grep -c -- "$text" <<<"$rows" || true)
  [ "$n" = 1 ] || fail "'$text' is shown $n times, not once"
  grep -- "$text" <<<"$rows" | grep -q "【重复3次】" || fail "'$text' is not marked 【重复3次】"
done
[[ $(last_count) == *"合并"*"条重复"* ]] || fail "the count does not tell the folded copies: $(last_count)"
echo "noise e2e: folded; count: $(last_count)"
shot noise_folded.png

open_detail() {  # row: double-click it and wait for its window on screen
  local windows deadline
  windows=$(count_lines "TARVOLO detail-window-id")
  send detail "$1"
  deadline=$((SECONDS + 10))
  until (($(count_lines "TARVOLO detail-window-id") > windows)); do
    ((SECONDS <= deadline)) || fail "the detail window of row $1 did not open"
    sleep 0.05
  done
  wait_shown "$(reported_id "$work/client.log" detail-window-id)" 10
}

# the folded row's detail window lists when its copies came
row1=$(grep -- "$text1" <<<"$rows" | head -1 | cut -d' ' -f3)
open_detail "$row1"
grep -q "TARVOLO detail-copies 共 3 次：" "$work/client.log" || fail "the detail window does not list the copies"
shot noise_detail_copies.png
send detail-close

# 2. block the third office from its detail window
row3=$(grep -- "$text3" <<<"$rows" | head -1 | cut -d' ' -f3)
[ -n "$row3" ] || fail "the third office's row is not shown"
open_detail "$row3"
send detail-block
deadline=$((SECONDS + 10))
until grep "TARVOLO feed-status " "$work/client.log" | tail -1 | grep -q "已屏蔽会员"; do
  ((SECONDS <= deadline)) || fail "no word of the blocked member"
  sleep 0.05
done
status=$(grep "TARVOLO feed-status " "$work/client.log" | tail -1)
[[ $status == *"已屏蔽会员 $office3"* ]] || fail "no word of the blocked member: $status"
shown_lines 60 | grep -q -- "$text3" && fail "the blocked office's row is still shown"
echo "noise e2e: $status"
shot noise_blocked.png

# 3. the filter bar on 9.6米
send filter-length 9.6米
count=$(last_count)
[[ $count == "显示 "*" / 共 "*" 条" ]] || fail "the count under a filter reads '$count'"
filtered=$(shown_lines 200)
[ -n "$filtered" ] || fail "nothing is shown for 9.6米"
if grep -v -e "9.6米" -e "9米6" -e "9.6 米" <<<"$filtered" | grep -q .; then
  fail "rows without 9.6米 are shown: $(grep -v -e 9.6米 -e 9米6 <<<"$filtered" | head -3)"
fi
grep -q -- "$text1" <<<"$filtered" || fail "'$text1' is not among the 9.6米 rows"
echo "noise e2e: filter 9.6米: $count"
shot noise_filter.png

# 4. export what is shown, read it back
send export "$artifacts/noise_export.csv"
grep -q "TARVOLO feed-exported 1" "$work/client.log" || fail "the export failed"
shown=$(sed -n 's/^显示 \([0-9]*\) .*/\1/p' <<<"$count")
python3 - "$artifacts/noise_export.csv" "$shown" "$text1" <<'PY' || fail "the exported file does not read back"
import csv, sys
raw = open(sys.argv[1], "rb").read()
assert raw.startswith(b"\xef\xbb\xbf"), "no byte order mark"
rows = list(csv.reader(raw[3:].decode("utf-8").splitlines()))
assert rows[0] == ["时间", "类型", "地区", "内容", "电话", "公司", "会员号", "状态"], rows[0]
assert len(rows) - 1 == int(sys.argv[2]), (len(rows) - 1, sys.argv[2])
assert all(len(r) == 8 for r in rows), "a row without eight columns"
assert any(r[3] == sys.argv[3] for r in rows[1:]), "the folded row is missing"
print(f"noise e2e: exported {len(rows) - 1} rows of eight columns")
PY

# 5. the filter closed: every row back
send filter-close
[[ $(last_count) == "共 "*"条信息"* ]] || fail "the count after the filter reads '$(last_count)'"
[ "$(shown_lines 60 | grep -c -- "$text2")" = 1 ] || fail "'$text2' is not back once"
echo "noise e2e: ok"
