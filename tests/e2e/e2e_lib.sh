# Shared by the end-to-end scripts (source it; set e2e_name and artifacts
# first). Gives a work folder that goes at exit with every process listed in
# pids and descriptor 3 (the client's command input) closed, and:
#   fail MESSAGE                 ends the run with the client's last lines
#   wait_for_line FILE PATTERN SECONDS
#   send_command DONE COMMAND... writes COMMAND to descriptor 3 and waits
#                                for one more DONE line in the client's log
#   start_service LOG ARGS...    tarvolo-service (from $build) on a free
#                                port; its host in $service_host
#   use_service_host HOST        points the client's portal, fall-back and
#                                web hosts at HOST
#   remember_login USER PASSWORD [REFRESH]
#                                stores a remembered, automatic login (and a
#                                refresh period in seconds) in the settings
#                                store named by TARVOLO_SETTINGS
#   publish_as_demo_member CITY CONTENT
#                                publishes a cargo message (telephone
#                                13700000000) as demo_member on
#                                $service_host, whose database is
#                                $work/service.db; prints its id
#   launch_client                the test client on the settings made so
#                                far, its commands on descriptor 3; returns
#                                once its main window shows the first page
#   start_feed_client HOST USER PASSWORD
#                                launch_client, logged in automatically on
#                                HOST (3 s id polls, 2 s refresh; settings in
#                                $work/settings.db)
#   window_active                1 while the main window is the active one,
#                                else 0 (asks the client: "window")
#   wait_active 0|1 WHY          until window_active says so, else fails
#   count_lines PATTERN          how many lines of the client's log match
#   gbk TEXT                     TEXT in GBK, percent-encoded for a query
#   reported_id FILE EVENT       the window id of a "TARVOLO EVENT 0x…" line
#   wait_shown WINDOW-ID SECONDS until the X server shows that window
#   start_session_bus            a private session bus (no service files:
#                                nothing starts behind the test's back) in
#                                DBUS_SESSION_BUS_ADDRESS
#   start_notification_recorder  that bus, with the recording notification
#                                service (tarvolo-notify-recorder) on it:
#                                its lines in $work/recorder.log, its
#                                commands on descriptor 4
#   notifications                how many notifications it has received
#   shot NAME.png                a screenshot of the whole screen, once the
#                                client painted every shown window (the
#                                script's own send function runs "repaint")
work=$(mktemp -d)
pids=()
e2e_cleanup() {
  exec 3>&- 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap e2e_cleanup EXIT

fail() {
  echo "$e2e_name: $*" >&2
  tail -30 "$work/client.log" >&2 || true
  tail -20 "$work/client.err" >&2 || true
  exit 1
}

wait_for_line() {  # file pattern seconds
  local deadline=$((SECONDS + $3))
  until grep -q -- "$2" "$1" 2>/dev/null; do
    ((SECONDS <= deadline)) || fail "timed out waiting for '$2'"
    sleep 0.1
  done
}

send_command() {  # done-pattern command...
  local done_pattern=$1
  shift
  local before
  before=$(grep -c "$done_pattern" "$work/client.log" || true)
  echo "$*" >&3
  local deadline=$((SECONDS + 10))
  until (($(grep -c "$done_pattern" "$work/client.log" || true) > before)); do
    ((SECONDS <= deadline)) || fail "command '$*' not run"
    sleep 0.05
  done
}

start_service() {  # log args...
  local log=$1
  shift
  "$build/service/tarvolo-service" --listen 127.0.0.1:0 "$@" >"$log" 2>&1 &
  pids+=($!)
  wait_for_line "$log" "listening on" 30
  service_host=$(sed -n 's/.*listening on \([0-9.:]*\).*/\1/p' "$log" | head -1)
}

use_service_host() {  # host
  export TARVOLO_PORTAL_HOST=$1 TARVOLO_FALLBACK_HOST=$1 TARVOLO_WEB_HOST=$1
}

# The main key of the settings store, where the login form keeps its values.
main_key='Software\Microsoft\Windows\CurrentVersion\'

remember_login() {  # user password [refresh-seconds]
  local cli=$build/cli/tarvolo-cli
  "$cli" settings set "$main_key" usernametavrelomin "$1" >/dev/null
  "$cli" settings set "$main_key" passwordtavrelomin "$2" >/dev/null
  "$cli" settings set "$main_key" nopasstavrelomin 1 >/dev/null
  "$cli" settings set "$main_key" autologintavrelomin 1 >/dev/null
  if [ -n "${3:-}" ]; then
    "$cli" settings set "$main_key" RefreshTimertavrelomin "$3" >/dev/null
  fi
}

publish_as_demo_member() {  # city content
  local db=$work/service.db member answer
  # As our client does: logged in, with the session key (profile field 17)
  # and the member's own company and telephone.
  answer=$(python3 - "$service_host" "$1" "$2" <<'PY'
import base64, sys, urllib.parse, urllib.request
host, city, content = sys.argv[1:4]
def q(text):
    return urllib.parse.quote(text if isinstance(text, bytes) else text.encode("gbk"), safe="")
def post(path):
    request = urllib.request.Request("http://%s%s" % (host, path), data=b"", method="POST")
    with urllib.request.urlopen(request) as reply:
        return base64.b64decode(reply.read())
f = post("/qavel/client/client_login.asp?action=Login_Client&loginSign=0"
         "&username=demo_member&password=member123").split(b"@@@@@")
late = 2 if int(f[7]) < 0 else 0  # an ordinary member's two wait fields
print(post("/qavel/client/SetInfo.asp?action=Client_AddInfo&InfoSign=0&AddSign=NewInfo"
           "&Msg_Code=" + q(city) + "&Msg_Type=0&Msg_Content=" + q(content) +
           "&Msg_Tel=" + q(f[5] + b" ") + "&Msg_Flag=" + f[1].decode() +
           "&Msg_StartCity=" + q(city) + "&Msg_NetPhone=" + q(f[12 + late]) +
           "&Msg_Company=" + q(f[4]) + "&InfoNum=1&SessionKey=" + q(f[17 + late])).decode())
PY
)
  [ "$answer" = AddOK ] || fail "publish answered $answer"
  member=$(python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute("select id from members where username=\"demo_member\"").fetchone()[0])' "$db")
  # The service's simulated traffic publishes too: this member's newest.
  python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute("select max(id) from messages where flag = ?", (sys.argv[2],)).fetchone()[0])' "$db" "$member"
}

count_lines() { grep -c -- "$1" "$work/client.log" || true; }

gbk() { python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1].encode("gbk"), safe=""))' "$1"; }

reported_id() {  # file event
  sed -n "s/.*TARVOLO $2 \(0x[0-9a-f]*\).*/\1/p" "$1" | tail -1
}

wait_shown() {  # window-id seconds
  local deadline=$((SECONDS + $2))
  until xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; do
    ((SECONDS <= deadline)) || fail "window $1 was never shown"
    sleep 0.1
  done
}

start_session_bus() {
  cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=1 >"$work/bus.address" \
    2>/dev/null &
  pids+=($!)
  wait_for_line "$work/bus.address" "unix:" 10
  DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus.address")
  export DBUS_SESSION_BUS_ADDRESS
}

shot() {
  send repaint
  import -window root "$artifacts/$1"
  echo "$e2e_name: screenshot $artifacts/$1"
}

start_notification_recorder() {
  start_session_bus
  mkfifo "$work/recorder.in"
  "$build/tests/notify/tarvolo-notify-recorder" <"$work/recorder.in" >"$work/recorder.log" 2>&1 &
  pids+=($!)
  exec 4>"$work/recorder.in"
  wait_for_line "$work/recorder.log" "NOTIFY ready" 10
}

notifications() { grep -c "^NOTIFY id=" "$work/recorder.log" || true; }

launch_client() {
  mkfifo "$work/in"
  "$build/tests/e2e/tarvolo-test-client" <"$work/in" >"$work/client.log" 2>"$work/client.err" &
  pids+=($!)
  exec 3>"$work/in"
  wait_for_line "$work/client.log" "TARVOLO feed-first-page 1" 60
  wait_for_line "$work/client.log" "TARVOLO main-window-shown" 30
}

start_feed_client() {  # host user password
  export TARVOLO_SETTINGS=$work/settings.db
  use_service_host "$1"
  export TARVOLO_ID_POLL_MS=3000
  remember_login "$2" "$3" 2
  launch_client
}

window_active() {
  send_command "TARVOLO done" window
  grep "TARVOLO window active" "$work/client.log" | tail -1 | cut -d' ' -f4
}

wait_active() {  # 0|1 why
  local deadline=$((SECONDS + 10))
  until [ "$(window_active)" = "$1" ]; do
    ((SECONDS <= deadline)) || fail "$2"
    sleep 0.1
  done
}
