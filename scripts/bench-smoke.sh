#!/usr/bin/env bash
# Builds the benchmarks (Release, their own build folder) and runs every benchmark program once
# with a minimal measuring time, offscreen, each under a time limit: a benchmark that hangs,
# crashes or reports an error fails the run. Nothing is timed against a figure. One line per
# program: "bench smoke: <program> ok (<n> benchmarks, <s> s)", or FAILED with the end of its
# output.
#   BENCH_BUILD_DIR  build folder (build-bench)
#   BENCH_TIMEOUT    seconds one program may take (120)
#   BENCH_JOBS       build jobs (nproc)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BENCH_BUILD_DIR:-build-bench}
limit=${BENCH_TIMEOUT:-120}
jobs=${BENCH_JOBS:-$(nproc)}

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DECU_BUILD_BENCHMARKS=ON \
  -DECU_BUILD_TESTS=OFF >/dev/null
# The programs the benchmark folder declares: a declared one that was not built fails the run.
mapfile -t programs < <(sed -n 's/^[[:space:]]*add_executable([[:space:]]*\(bench_[A-Za-z0-9_]*\).*/\1/p' \
  bench/CMakeLists.txt)
if [ ${#programs[@]} -eq 0 ]; then
  echo "bench smoke: no benchmark program declared in bench/CMakeLists.txt"
  exit 1
fi
cmake --build "$build" -j "$jobs" --target "${programs[@]}"

# Windows are made offscreen; scratch files of the benchmarks go to a folder of this run.
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d "${TMPDIR:-/tmp}/bench-smoke.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"

failed=0
for name in "${programs[@]}"; do
  log="$work/$name.log"
  json="$work/$name.json"
  start=$(date +%s.%N)
  status=0
  # A plain number of seconds: the form every version of the library accepts.
  (cd "$work" && timeout --kill-after=10 "$limit" "$root/$build/bin/$name" \
     --benchmark_min_time=0.001 --benchmark_out="$json" --benchmark_out_format=json) \
    >"$log" 2>&1 || status=$?
  seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }')
  runs=0
  errors=0
  if [ -f "$json" ]; then
    runs=$(grep -c '"run_type"' "$json" || true)
    errors=$(grep -c '"error_occurred": true' "$json" || true)
  fi
  reason=""
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    reason="did not finish within $limit s"
  elif [ "$status" -gt 128 ]; then
    reason="ended by signal $((status - 128))"
  elif [ "$status" -ne 0 ]; then
    reason="exit status $status"
  elif [ "$runs" -eq 0 ]; then
    reason="ran no benchmark"
  elif [ "$errors" -ne 0 ]; then
    reason="$errors of $runs benchmarks reported an error"
  fi
  if [ -z "$reason" ]; then
    noun=benchmarks
    [ "$runs" -eq 1 ] && noun=benchmark
    echo "bench smoke: $name ok ($runs $noun, $seconds s)"
  else
    failed=1
    echo "bench smoke: $name FAILED ($reason, $seconds s)"
    tail -n 40 "$log"
  fi
done
exit $failed
