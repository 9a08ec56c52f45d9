#!/usr/bin/env bash
# End to end: the client (its test build, tarvolo-test-client, which reports
# its progress and takes commands) against a real local service, under Xvfb.
#   1. a stored member logs in automatically; the main window shows with the
#      member's title; screenshots of the login form, the main window and a
#      web page window go to test-artifacts/, each taken once its window is
#      shown
#   2. a second copy exits with its notice
#   3. an offered newer version is downloaded, the updater started, the client
#      ends and the updater starts the new program
# Usage: client_e2e.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
artifacts=$2
mkdir -p "$artifacts"
e2e_name=e2e
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

cli=$build/cli/tarvolo-cli
# The client runs from a copy: the update scenario replaces it.
mkdir -p "$work/bin"
cp "$build/tests/e2e/tarvolo-test-client" "$work/bin/tarvolo"

send() { send_command "TARVOLO done" "$@"; }

start_service "$work/service.log" --demo --demo-count 400 --db "$work/service.db"
host=$service_host
export TARVOLO_SETTINGS=$work/settings.db
use_service_host "$host"
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
unset QT_QPA_PLATFORM

member=${TARVOLO_E2E_USER:-demo_vip}
password=${TARVOLO_E2E_PASSWORD:-vip123}
remember_login "$member" "$password"

# 1. automatic login and the main window
start=$SECONDS
mkfifo "$work/in"
"$work/bin/tarvolo" <"$work/in" >"$work/client.log" 2>"$work/client.err" &
client=$!
pids+=($client)
exec 3>"$work/in"
wait_for_line "$work/client.log" "TARVOLO login-form-id" 20
wait_shown "$(reported_id "$work/client.log" login-form-id)" 10
import -window root "$artifacts/e2e_login_form.png"
wait_for_line "$work/client.log" "TARVOLO main-window-shown" 40
echo "e2e: main window after $((SECONDS - start)) s: $(grep main-window-shown "$work/client.log")"
# From the start of the login sequence (the third auto-login tick stands for
# pressing "登录") to the main window shown.
pressed=$(sed -n 's/.*login-caption 检测登录信息... \[\([0-9]*\) ms\]/\1/p' "$work/client.log" | head -1)
shown=$(sed -n 's/.*main-window-shown .*\[\([0-9]*\) ms\]/\1/p' "$work/client.log" | head -1)
echo "e2e: login sequence to main window: $((shown - pressed)) ms"
wait_for_line "$work/client.log" "TARVOLO adverts-loaded" 20
# The web engine starts with the adverts, after the list's first page is on
# screen: it takes the UI thread for a while.
painted_at=$(grep -n -m1 "feed-first-page-painted" "$work/client.log" | cut -d: -f1)
adverts_at=$(grep -n -m1 "adverts-loading" "$work/client.log" | cut -d: -f1)
[ -n "$painted_at" ] && [ "$adverts_at" -gt "$painted_at" ] ||
  fail "the adverts started before the list's first page was painted"
main_id=$(reported_id "$work/client.log" main-window-id)
wait_shown "$main_id" 10
send repaint
import -window root "$artifacts/e2e_main_window.png"
echo "e2e: screenshot $artifacts/e2e_main_window.png"
# The X window shown is the one the client named, with the member's title.
title=$(sed -n 's/.*TARVOLO main-window-shown \(.*\) \[[0-9]* ms\]/\1/p' "$work/client.log" | head -1)
if [ -z "$title" ]; then
  echo "e2e: the main window has no title" >&2
  exit 1
fi
if ! xprop -id "$main_id" _NET_WM_NAME | grep -qF "\"$title\""; then
  echo "e2e: window $main_id is not titled '$title': $(xprop -id "$main_id" _NET_WM_NAME)" >&2
  exit 1
fi
# The web page window over it, on the page of a menu item.
send open-page /huoyuan/
wait_for_line "$work/client.log" "TARVOLO web-page-loaded ok" 20
wait_shown "$(reported_id "$work/client.log" web-page-id)" 10
send repaint
import -window root "$artifacts/e2e_web_page.png"
if cmp -s "$artifacts/e2e_main_window.png" "$artifacts/e2e_web_page.png"; then
  echo "e2e: the main window's screenshot shows the web page window" >&2
  exit 1
fi

# 2. a second copy refuses to run and exits 0
"$work/bin/tarvolo" >"$work/second.log" 2>&1 &
second=$!
wait_for_line "$work/second.log" "TARVOLO notice 已经有一个程序示例在运行" 20
wait_for_line "$work/second.log" "TARVOLO notice-id" 5
wait_shown "$(reported_id "$work/second.log" notice-id)" 5
import -window root "$artifacts/e2e_second_copy.png"
wait "$second"
echo "e2e: second copy exited with its notice"
kill -0 "$client"  # the first copy is unaffected
kill "$client"
wait "$client" 2>/dev/null || true

# 3. an offered newer version
mkdir -p "$work/offer"
cp "$build/src/app/tarvolo-update" "$work/offer/Update.exe"
printf '#!/bin/sh\necho updated > "%s/updated"\n' "$work" >"$work/offer/tarvolo"
# Signed with a key pair of this run's own, which the test client is given.
TARVOLO_TEST_UPDATE_KEY=$("$build/service/tarvolo-service" gen-update-key "$work/update.key")
export TARVOLO_TEST_UPDATE_KEY
"$build/service/tarvolo-service" sign-update --key "$work/update.key" \
  "$work/offer/tarvolo" "$work/offer/Update.exe"
start_service "$work/update-service.log" --db "$work/service.db" \
  --offer-version 8.2.0.0 --update-dir "$work/offer"
uhost=$service_host
use_service_host "$uhost"
"$cli" settings set "$main_key" initloginurltavrelomin2 "$uhost" >/dev/null
"$cli" settings set "$main_key" GetServerUrltavrelomin2 "1@@$uhost" >/dev/null
"$work/bin/tarvolo" >"$work/update.log" 2>&1 &
updating=$!
wait_for_line "$work/update.log" "TARVOLO update-started" 40
deadline=$((SECONDS + 15))
while kill -0 "$updating" 2>/dev/null; do
  if ((SECONDS > deadline)); then echo "e2e: client did not end after the update" >&2; exit 1; fi
  sleep 0.1
done
deadline=$((SECONDS + 20))
until [ -f "$work/updated" ]; do
  if ((SECONDS > deadline)); then echo "e2e: the updater did not start the new program" >&2; exit 1; fi
  sleep 0.1
done
echo "e2e: update downloaded, client ended, new program started"
