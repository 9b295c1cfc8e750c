#!/usr/bin/env bash
# Builds the tests of the threaded units with ThreadSanitizer (its own build folder, only the
# program test_threads: the worker pool, the trace reader, the strip drawing of the trace chart,
# the refresher thread) and runs them offscreen, under a time limit. Fails on any report of the
# sanitizer. scripts/tsan.supp names what it does not look into: Qt's own libraries, which are not
# built with it; the program's own code is checked whole.
#   TSAN_BUILD_DIR   build folder (build-tsan)
#   TSAN_JOBS        build jobs (nproc)
#   TSAN_FILTER      gtest filter of the tests to run (all of test_threads)
#   TSAN_TIMEOUT     seconds the tests may take (600): a race can also end in a hang
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${TSAN_BUILD_DIR:-build-tsan}
bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DECU_TSAN=ON -DECU_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "${TSAN_JOBS:-$(nproc)}" --target test_threads

# Scratch files of the tests go to a folder of this run.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work" QT_QPA_PLATFORM=offscreen
# Qt's own event loop on its threads, not glib's: glib's allocator passes memory between threads
# under locks the sanitizer cannot see either, and the program does not need glib.
export QT_NO_GLIB=1
# exitcode: a run with a report ends with 66 even when every test passed.
export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp exitcode=66 second_deadlock_stack=1 history_size=4"
# Without address randomisation where the system allows it: the sanitizer's fixed memory layout
# does not survive the wider randomisation of recent kernels (vm.mmap_rnd_bits above 28).
fixed=()
if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
  fixed=(setarch "$(uname -m)" -R)
fi
rc=0
# From the build folder, as ctest runs the tests: they find their fixture files from there.
(cd "$build" && timeout "${TSAN_TIMEOUT:-600}" "${fixed[@]}" ./bin/test_threads --gtest_filter="${TSAN_FILTER:-*}") \
  >"$work/log" 2>&1 || rc=$?
if [ $rc -ne 0 ] || grep -q "WARNING: ThreadSanitizer" "$work/log"; then
  grep -E "^(WARNING: ThreadSanitizer|SUMMARY: ThreadSanitizer|\[  FAILED)" "$work/log" | sort | uniq -c || true
  grep -m 3 -A 40 "WARNING: ThreadSanitizer" "$work/log" || true
  tail -n 40 "$work/log"
  echo "tsan: FAILED (exit code $rc; 66: a report, 124: the time ran out)"
  exit 1
fi
passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\./\1/p' "$work/log" | head -n 1)
echo "tsan: $passed tests passed, no report of ThreadSanitizer"
