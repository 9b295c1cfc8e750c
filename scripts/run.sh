#!/usr/bin/env bash
# Builds the program and starts it against the simulated ECU behind the serial library.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DECU_BUILD_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
# The data folder is the working directory at start-up.
data=${ECU_DATA_FOLDER:-$PWD/$build/data}
mkdir -p "$data"
cd "$data"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting under Xvfb."
  exec xvfb-run -a "$OLDPWD/$build/bin/ecusetup" "$@"
fi
exec "$OLDPWD/$build/bin/ecusetup" "$@"
