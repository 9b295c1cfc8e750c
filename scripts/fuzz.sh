#!/usr/bin/env bash
# Builds the fuzz targets of the file readers with clang's libFuzzer (its own build folder, only
# those targets) and runs each for a short bounded time from the seeds in tests/fuzz/corpus.
# Fails when a target crashes or a sanitizer reports; the failing input is kept in the build
# folder. Without clang it says so and does nothing.
#
#   scripts/fuzz.sh            the short run of CI: FUZZ_SECONDS (20) per target, all at once
#                              (FUZZ_BUILD_JOBS: parallel jobs of the build, default all cores)
#   scripts/fuzz.sh --long     one long run outside CI: FUZZ_RUNS (10 million) executions per
#                              target, each stopped after FUZZ_SECONDS when given, FUZZ_JOBS
#                              targets at a time (default 2); the counts reached are printed
set -euo pipefail
cd "$(dirname "$0")/.."
long=0
if [ "${1:-}" = "--long" ]; then long=1; shift; fi
if [ $# -gt 0 ]; then
  echo "usage: scripts/fuzz.sh [--long]" >&2
  exit 2
fi
if [ $long = 1 ]; then
  seconds=${FUZZ_SECONDS:-0}  # 0: no time limit, the run count ends each target
  runs=${FUZZ_RUNS:-10000000}
  jobs=${FUZZ_JOBS:-2}
else
  seconds=${FUZZ_SECONDS:-20}
  runs=-1  # no run limit, the time ends each target
  jobs=0   # all at once
fi
build=${FUZZ_BUILD_DIR:-build-fuzz}
if ! command -v clang++ >/dev/null || ! command -v clang >/dev/null; then
  echo "fuzz: clang not found, the fuzz targets are not run"
  exit 0
fi
# clang's fuzzer runtime comes in a package of its own, which a clang installed without the
# recommended packages lacks.
probe=$(mktemp -d)
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer - -o "$probe/probe" 2>/dev/null; then
  major=$(clang++ -dumpversion | cut -d. -f1)
  echo "fuzz: installing clang's fuzzer runtime (libclang-rt-$major-dev)"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "libclang-rt-$major-dev"
fi
rm -rf "$probe"

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DECU_FUZZ=ON >/dev/null
cmake --build "$build" -j "${FUZZ_BUILD_JOBS:-$(nproc)}" --target fuzz_all

# Scratch files of the targets and the inputs they find go to a folder of this run, in memory
# where it can (the loader syncs every file it rewrites).
scratch=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then scratch=/dev/shm; fi
work=$(mktemp -d "$scratch/fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
names=()
for corpus in tests/fuzz/corpus/*/; do
  name=$(basename "$corpus")
  mkdir -p "$work/$name"
  # At most `jobs` targets at a time (0: no limit); each leaves its exit code in a file.
  while [ "$jobs" -gt 0 ] && [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  (
    rc=0
    "$build/bin/fuzz_$name" -max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$work/$name" "$corpus" >"$work/$name.log" 2>&1 || rc=$?
    echo $rc >"$work/$name.rc"
  ) &
  names+=("$name")
done
wait
failed=0
for name in "${names[@]}"; do
  if [ "$(cat "$work/$name.rc")" = 0 ]; then
    echo "fuzz $name: $(grep -m1 'stat::number_of_executed_units' "$work/$name.log" | awk '{print $2}') runs, no failure"
  else
    failed=1
    echo "fuzz $name: FAILED"
    tail -n 60 "$work/$name.log"
  fi
done
exit $failed
