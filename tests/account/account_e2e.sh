#!/usr/bin/env bash
# End to end for registration and the preferences: the client's test build
# (tarvolo-test-client) against a real local service, under Xvfb (run through
# tests/e2e/run_under_xvfb.sh).
#   1. from the login form, "注册会员"; the form is filled in and submitted;
#      the service registers the member
#   2. the new member logs in through the login form
#   3. "系统设置": a new background colour, a kai face, a larger size, the tree
#      on the right; "保存": the list shows them at once
# Screenshots go to ARTIFACT_DIR/account_*.png.
# Usage: account_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
e2e_name="account e2e"
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"

send() { send_command "TARVOLO account-done" "$@"; }

start_service "$work/service.log" --demo --demo-count 600 --db "$work/service.db"
host=$service_host

export TARVOLO_SETTINGS=$work/settings.db
use_service_host "$host"
export TARVOLO_TEST_ACCOUNT_INPUT=$work/account.in
mkfifo "$work/account.in"
"$build/tests/e2e/tarvolo-test-client" </dev/null >"$work/client.log" 2>"$work/client.err" &
pids+=($!)
exec 3<>"$work/account.in"
wait_for_line "$work/client.log" "TARVOLO login-form-shown" 30
shot account_0_login_form.png

# 1. registration
user="e2e$RANDOM"
send register
wait_for_line "$work/client.log" "TARVOLO account-registration-shown" 10
send reg-text username "$user"
send reg-text password "road 2024"
send reg-text confirm "ROAD 2024"
send reg-text name1 "王小明"
send reg-text company "济南顺达物流"
send reg-choose province "山东省"
send reg-text areacode 0531
send reg-text tel 88886666
send reg-text email "$user@example.cn"
shot account_1_registration.png
send reg-submit
wait_for_line "$work/client.log" "TARVOLO account-registration-answered registered" 20
grep -q "TARVOLO notice 恭喜您,注册成功!" "$work/client.log" || fail "no congratulation"
echo "account e2e: $user registered"

# 2. the new member logs in
send login "$user" "road 2024"
wait_for_line "$work/client.log" "TARVOLO main-window-shown" 60
wait_for_line "$work/client.log" "TARVOLO logged-in" 5
echo "account e2e: $user logged in"
sleep 2  # the first page and the tree settle
send geometry
before=$(grep "TARVOLO account-geometry" "$work/client.log" | tail -1)
echo "account e2e: before: $before"

# 3. preferences
send prefs
wait_for_line "$work/client.log" "TARVOLO account-prefs-shown" 10
send prefs-colour back
sleep 0.5
send colour 255 236 200
send prefs-face 楷体_GB2312
send prefs-size 24
send prefs-side right
shot account_2_preferences.png
send prefs-save
wait_for_line "$work/client.log" "TARVOLO account-prefs-saved" 10
sleep 2  # the first page reloads with the new font
send geometry
after=$(grep "TARVOLO account-geometry" "$work/client.log" | tail -1)
echo "account e2e: after: $after"
read -r _ _ _ grid_x _ _ _ _ tree_x _ _ _ _ r g b <<<"$after"
[ "$r $g $b" = "255 236 200" ] || fail "the list's background is $r $g $b"
((tree_x > grid_x)) || fail "the tree is not on the right (tree $tree_x, list $grid_x)"
shot account_3_list_after_save.png
echo "account e2e: passed"
