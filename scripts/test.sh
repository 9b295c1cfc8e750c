#!/usr/bin/env bash
# Builds everything with the sanitizers on and runs every test.
#   scripts/test.sh           every test: offscreen (the link-drop sweeps included), then the
#                             x-server label on a private X server
#   scripts/test.sh --quick   the working loop: the same build, every test but the link-drop
#                             sweeps (label drop-sweep) and the X-server runs (label x-server)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac
bash scripts/install-deps.sh
build=${BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DECU_SANITIZE=ON -DECU_BUILD_TESTS=ON
cmake --build "$build" -j "$(nproc)"
cd "$build"
if $quick; then
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600 -LE 'x-server|drop-sweep'
  exit 0
fi
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600 -LE x-server
# The window and start-up tests again on a private X server with a window manager.
bash "$root/scripts/x-server.sh" ctest --output-on-failure --timeout 600 -L x-server
