# Shared by the bench/<area>/run.sh scripts that run a Google Benchmark
# program (source it from the project's root; the first argument of the
# script, if any, names the build folder):
#   build_dir                  the build folder: $1, TARVOLO_BUILD_DIR or build/
#   bench_build TARGET...      builds the targets there, quietly
#   bench_medians PROGRAM ARGS...
#                              runs PROGRAM five times over (offscreen Qt) and
#                              leaves its medians as JSON in $bench_json, for
#                              bench/medians.py
build_dir=${1:-${TARVOLO_BUILD_DIR:-build}}
bench_json=$(mktemp)
trap 'rm -f "$bench_json"' EXIT

bench_build() {
  TARVOLO_BUILD_DIR="$build_dir" bash scripts/build.sh --target "$@" >/dev/null
}

bench_medians() {
  local program=$1
  shift
  QT_QPA_PLATFORM=offscreen "$program" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_out="$bench_json" \
    --benchmark_out_format=json "$@"
}
