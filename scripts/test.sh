#!/usr/bin/env bash
# Builds everything with the sanitizers on and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
build=${BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DECU_SANITIZE=ON -DECU_BUILD_TESTS=ON
cmake --build "$build" -j "$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600 -LE x-server
# The window and start-up tests again on a private X server with a window manager.
bash "$root/scripts/x-server.sh" ctest --output-on-failure --timeout 600 -L x-server
