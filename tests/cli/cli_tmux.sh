#!/usr/bin/env bash
# tarvolo-cli in a terminal as a member sees it: "feed --follow" in a tmux
# pane, in colour; a message published meanwhile arrives as a new line; C-c
# ends it with exit 0. The pane is kept in the test artifacts (with its
# colours as escape sequences, and as plain text).
#   cli_tmux.sh BUILD_DIR ARTIFACT_DIR
set -euo pipefail
build=$1
artifacts=$2
e2e_name="cli tmux"
mkdir -p "$artifacts"
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"
command -v tmux >/dev/null || fail "tmux is not installed (scripts/setup.sh installs it)"

cli=$build/cli/tarvolo-cli
start_service "$work/service.log" --demo --demo-count 300 --quota 0 --db "$work/service.db"
export TARVOLO_PORTAL_HOST=$service_host TARVOLO_FALLBACK_HOST=$service_host
export TARVOLO_SETTINGS=$work/settings.db
unset NO_COLOR
"$cli" settings set main RefreshTimertavrelomin 1

socket=tarvolo-cli-test-$$
tmux_() { tmux -L "$socket" "$@"; }
stop_tmux() { tmux_ kill-server 2>/dev/null || true; e2e_cleanup; }
trap stop_tmux EXIT
tmux_ -f /dev/null new-session -d -x 160 -y 40 -e LANG=C.UTF-8 \
  -e "TARVOLO_PORTAL_HOST=$service_host" -e "TARVOLO_FALLBACK_HOST=$service_host" \
  -e "TARVOLO_SETTINGS=$TARVOLO_SETTINGS" \
  "$cli feed --guest --region 郑州 --follow; echo \"tarvolo-cli exit \$?\"; sleep 30"

pane() { tmux_ capture-pane -p -J "$@"; }
wait_in_pane() {  # pattern seconds
  local deadline=$((SECONDS + $2))
  until pane | grep -q -- "$1"; do
    ((SECONDS <= deadline)) || { pane >&2; fail "timed out waiting for '$1' in the pane"; }
    sleep 0.2
  done
}
wait_in_pane '双击查看电话' 20

text="终端跟随演示：郑州到成都机械设备15吨"
"$cli" publish --user demo_vip --password vip123 "$text" >"$work/publish.out" ||
  fail "publish failed: $(cat "$work/publish.out")"
wait_in_pane "$text" 10
pane -e >"$artifacts/cli_feed_follow.ansi"
pane >"$artifacts/cli_feed_follow.txt"
echo "$e2e_name: pane kept in $artifacts/cli_feed_follow.ansi"
# The list's colours: the region red, the telephone blue, the time grey.
grep -q $'\e\\[31m郑州' "$artifacts/cli_feed_follow.ansi" || fail "no red region in the pane"
grep -q $'\e\\[34m' "$artifacts/cli_feed_follow.ansi" || fail "no blue telephone in the pane"
grep -q $'\e\\[90m' "$artifacts/cli_feed_follow.ansi" || fail "no grey time in the pane"

tmux_ send-keys C-c
wait_in_pane "tarvolo-cli exit 0" 10
echo "$e2e_name: ok"
