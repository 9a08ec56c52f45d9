#!/usr/bin/env bash
# Builds the tests of the threaded areas with a sanitizer and runs them:
#   scripts/sanitize.sh thread    ThreadSanitizer, into build-tsan/
#   scripts/sanitize.sh address   AddressSanitizer + UndefinedBehaviorSanitizer,
#                                 into build-asan/
# The areas: the background jobs (core) and those that run threads (net feed
# publish search notify service cli), each area's tests without a window
# (ctest label gui; the e2e tests carry it too). Those run the real client's
# windows and its web engine, whose own threads and child
# processes are built without the sanitizer: a run would time out long
# before it showed anything of ours, and the controllers they drive are
# what the tests here run.
# Left out as well: serviceSlowClients, which holds the service to latency
# bounds (p99 of a poll under 50 ms while thousands of connections hang) that
# no build slowed down five- to fifteen-fold by a sanitizer can meet; its
# service still runs under the sanitizer in every other service test.
# Every report of every process (the tests, and the services and terminal
# clients they start) is written to <build>/sanitizer-logs/; any report fails
# the run, as does a failing test. Suppressions: tests/sanitize/.
set -euo pipefail
cd "$(dirname "$0")/.."

kind=${1:-}
case "$kind" in
  thread) build_dir=build-tsan ;;
  address) build_dir=build-asan ;;
  *)
    echo "usage: scripts/sanitize.sh thread|address" >&2
    exit 2
    ;;
esac
areas=(core net feed publish search notify service cli)

# GCC, as Qt and the shipped build: clang 14's ThreadSanitizer kills the
# child of every QProcess start (its clone() interception fails a check), so
# the notification tests would never see their dbus-daemon. -O1 and line tables only (-g1): a stack names file and line, and the
# build stays quick. No NDEBUG: assertions hold here too.
CC=gcc CXX=g++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DTARVOLO_SANITIZE="$kind" -DTARVOLO_WERROR=ON -DTARVOLO_BENCH=OFF >/dev/null

targets=()
for area in "${areas[@]}"; do targets+=("tests-$area-headless"); done
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]}"

logs="$PWD/$build_dir/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs" test-artifacts
supp="$PWD/tests/sanitize"
export TSAN_OPTIONS="suppressions=$supp/tsan.supp log_path=$logs/tsan second_deadlock_stack=1"
export ASAN_OPTIONS="log_path=$logs/asan detect_stack_use_after_return=1 strict_init_order=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp"
export UBSAN_OPTIONS="log_path=$logs/ubsan print_stacktrace=1 halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

label_re="^($(
  IFS='|'
  echo "${areas[*]}"
))\$"
status=0
ctest --test-dir "$build_dir" -L "$label_re" -LE '^(gui|e2e)$' \
  -E '^service\.serviceSlowClients\.' --output-on-failure -j "$(nproc)" || status=$?

shopt -s nullglob
reports=("$logs"/*)
if [ ${#reports[@]} -gt 0 ]; then
  for report in "${reports[@]}"; do
    echo "==== $report"
    cat "$report"
  done
  echo "sanitize: ${#reports[@]} process(es) reported findings (above; $logs)" >&2
  status=1
fi
exit "$status"
