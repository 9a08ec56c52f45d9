#!/usr/bin/env bash
# End to end for search: the client's test build (tarvolo-test-client)
# against a real local service, under
# Xvfb (run through tests/e2e/run_under_xvfb.sh), logged in as demo_vip.
#   1. "本地搜索(出城信息)": a province and a region double-clicked, a typed
#      keyword added; the search splits the window and its rows show the
#      keywords highlighted
#   2. a matching message published on the service comes on top within one
#      refresh period, with its chime
#   3. "关闭搜索" gives the list its whole height back
#   4. the same through "综合搜索" (a city and a keyword of its first group)
# Screenshots go to ARTIFACT_DIR/search_*.png.
# Usage: search_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
e2e_name="search e2e"
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"

send() { send_command "TARVOLO done" "$@"; }

last() { grep "TARVOLO $1" "$work/client.log" | tail -1; }
row_text() { grep "TARVOLO search-row $1 " "$work/client.log" | tail -1 | cut -d' ' -f4-; }

# A published match comes on top within one refresh period (2 s), chimes.
expect_new_match() {  # city content label
  local chimes id published
  chimes=$(count_lines "TARVOLO search-sound STOCK")
  id=$(publish_as_demo_member "$1" "$2")
  published=$SECONDS
  wait_for_line "$work/client.log" "TARVOLO search-new [0-9]* $id" 5
  echo "search e2e: $3: match $id on top after $((SECONDS - published)) s"
  send search-dump 0 2
  [[ $(row_text 0) == "$id "*"${2##* }"* ]] || fail "row 0 is not the new match: $(row_text 0)"
  (($(count_lines "TARVOLO search-sound STOCK") > chimes)) || fail "no chime for the new match"
}

cli=$build/cli/tarvolo-cli
start_service "$work/service.log" --demo --demo-count 3000 --no-cache --quota 0 \
  --db "$work/service.db"
host=$service_host

export TARVOLO_SETTINGS=$work/settings.db
use_service_host "$host"
remember_login demo_vip vip123 2
"$cli" settings set "$main_key" Soundtavrelomin 1 >/dev/null

launch_client
main_height() { last "search-rows" | sed -n 's/.* main-height \([0-9]*\) .*/\1/p'; }
send search-dump 0 0
full_height=$(main_height)

# 1. the local form
send search-local
wait_for_line "$work/client.log" "TARVOLO search-form 搜索即时信息：从［郑州］出发" 5
send search-dblclick province 山东省
send search-dblclick region 济宁
send search-keyword 煤炭
[[ $(last "search-keywords") == *" 3" ]] || fail "the keyword list does not hold three entries"
shot search_1_local_form.png
send search-go
wait_for_line "$work/client.log" "TARVOLO search-first-page" 10
send search-dump 0 4
rows=$(last "search-rows")
echo "search e2e: $rows"
[[ $rows == *"shown 1"* ]] || fail "the panel is not shown"
[[ $rows == *"title 在[郑州]中搜索即时信息[山东,济宁,煤炭]"* ]] || fail "wrong title"
[[ $(row_text 0) == *"Ξ"*"§"* ]] || fail "row 0 shows no highlighted keyword: $(row_text 0)"

# 2. a new match on top
expect_new_match 郑州 "煤炭40吨 郑州到济宁 端到端$RANDOM" "local search"
shot search_2_split_window.png

# 3. closing gives the list its height back
split_height=$(main_height)
((split_height < full_height / 2)) || fail "the list kept $split_height of $full_height pixels"
send search-close
send search-dump 0 0
[[ $(last "search-rows") == *"shown 0"* ]] || fail "the panel is still shown"
[ "$(main_height)" = "$full_height" ] ||
  fail "the list did not get its height back ($(main_height) of $full_height)"
shot search_3_closed.png

# 4. the comprehensive form, first group: from 郑州 to 济宁 with a keyword
send search-wide
wait_for_line "$work/client.log" "TARVOLO search-form 搜索即时信息" 5
send search-wide-pick 0 山东省 济宁
shot search_4_wide_form.png
first_pages=$(count_lines "TARVOLO search-first-page")
send search-wide-go 0 钢材
deadline=$((SECONDS + 10))
until (($(count_lines "TARVOLO search-first-page") > first_pages)); do
  ((SECONDS <= deadline)) || fail "the comprehensive search showed no first page"
  sleep 0.1
done
send search-dump 0 2
[[ $(last "search-rows") == *"title 在[郑州]中搜索即时信息[济宁,钢材]"* ]] || fail "wrong title"
expect_new_match 郑州 "钢材12吨 郑州发济宁 端到端$RANDOM" "comprehensive search"
shot search_5_wide_split_window.png
send search-close
echo "search e2e: all steps passed"
