# Shared by the end-to-end scripts (source it; set e2e_name and artifacts
# first). Gives a work folder that goes at exit with every process listed in
# pids and descriptor 3 (the client's command input) closed, and:
#   fail MESSAGE                 ends the run with the client's last lines
#   wait_for_line FILE PATTERN SECONDS
#   send_command DONE COMMAND... writes COMMAND to descriptor 3 and waits
#                                for one more DONE line in the client's log
#   start_service LOG ARGS...    tarvolo-service (from $build) on a free
#                                port; its host in $service_host
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

shot() {
  send repaint
  import -window root "$artifacts/$1"
  echo "$e2e_name: screenshot $artifacts/$1"
}
