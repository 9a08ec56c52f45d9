#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) into build-fuzz/ and runs
# each for N executions (default 1,000,000), starting from its seed corpus.
#   scripts/fuzz.sh [N] [TARGET_PATTERN] [SECONDS]
# SECONDS, when given, also ends each target's run after that many seconds.
# New inputs go to a scratch corpus under build-fuzz/; findings to
# build-fuzz/artifacts/. Prints each target's executions, seconds, executions
# a second and result, and the totals. Exits non-zero when any target finds a
# fault.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000000}
pattern=${2:-.}
time_limit=()
[ -z "${3:-}" ] || time_limit=(-max_total_time="$3")
build_dir=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined"

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARVOLO_FUZZ=ON -DTARVOLO_TESTS=OFF -DTARVOLO_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null

# Every target is declared in a fuzz/<area>/CMakeLists.txt and has its seeds in
# fuzz/<area>/corpus/<target>/.
mapfile -t entries < <(for cml in fuzz/*/CMakeLists.txt; do
  area=$(dirname "$cml")
  grep -oE '\bfuzz_[a-z0-9_]+' "$cml" | sort -u | while read -r t; do
    [ -f "$area/$t.cpp" ] && echo "$area $t"
  done
done | grep -E " .*${pattern}" || true)
[ ${#entries[@]} -gt 0 ] || { echo "no fuzz target matches '$pattern'"; exit 1; }

targets=()
for e in "${entries[@]}"; do targets+=("${e#* }"); done
cmake --build "$build_dir" -j 2 --target "${targets[@]}"

mkdir -p "$build_dir/artifacts"
status=0
total_execs=0
total_seconds=0
printf '%-22s %14s %9s %9s  %s\n' target executions seconds "exec/s" result
for e in "${entries[@]}"; do
  area=${e% *}
  target=${e#* }
  work="$build_dir/corpus/$target"
  mkdir -p "$work"
  seeds="$area/corpus/$target"
  [ -d "$seeds" ] || seeds=""
  log="$build_dir/$target.log"
  started=$(date +%s)
  if "$build_dir/$area/$target" -runs="$runs" "${time_limit[@]}" -max_len=4096 -print_final_stats=1 \
       -artifact_prefix="$build_dir/artifacts/$target-" "$work" $seeds >"$log" 2>&1; then
    result="ok, no findings"
  else
    result="FINDING (see $log)"
  fi
  seconds=$(( $(date +%s) - started ))
  execs=$(grep -aoE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo 0)
  rate=$(( execs / (seconds > 0 ? seconds : 1) ))
  printf '%-22s %14s %9s %9s  %s\n' "$target" "$execs" "$seconds" "$rate" "$result"
  if [ "$result" != "ok, no findings" ]; then
    grep -aE 'check failed|ERROR|SUMMARY' "$log" | head -5
    status=1
  fi
  total_execs=$(( total_execs + execs ))
  total_seconds=$(( total_seconds + seconds ))
done
printf '%-22s %14s %9s %9s\n' total "$total_execs" "$total_seconds" \
  "$(( total_execs / (total_seconds > 0 ? total_seconds : 1) ))"
exit $status
