#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) into build-fuzz/ and runs
# each for N executions (default 1,000,000), starting from its seed corpus.
#   scripts/fuzz.sh [N] [TARGET_PATTERN]
# New inputs go to a scratch corpus under build-fuzz/; findings to
# build-fuzz/artifacts/. Exits non-zero when any target finds a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000000}
pattern=${2:-.}
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
for e in "${entries[@]}"; do
  area=${e% *}
  target=${e#* }
  work="$build_dir/corpus/$target"
  mkdir -p "$work"
  seeds="$area/corpus/$target"
  [ -d "$seeds" ] || seeds=""
  log="$build_dir/$target.log"
  if "$build_dir/$area/$target" -runs="$runs" -max_len=4096 -print_final_stats=1 \
       -artifact_prefix="$build_dir/artifacts/$target-" "$work" $seeds >"$log" 2>&1; then
    execs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo "?")
    echo "$target: ok, $execs executions"
  else
    echo "$target: FAILED (see $log)"
    tail -20 "$log"
    status=1
  fi
done
exit $status
