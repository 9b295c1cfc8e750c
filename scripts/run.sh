#!/usr/bin/env bash
# Builds the program and starts it against the simulated ECU behind the serial library.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DECU_BUILD_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
bin=$(cd "$build/bin" && pwd)
# The data folder is the working directory at start-up. It lives outside the build folder, so
# deleting a build keeps what was saved in it.
data=${ECU_DATA_FOLDER:-${XDG_DATA_HOME:-$HOME/.local/share}/ecusetup/demo}
mkdir -p "$data"
# The demo set (sample status-text list, base calibrations); what is there already stays.
"$bin/ecu_demo_data" "$data" || echo "The demo set is incomplete in $data: the program starts all the same."
echo "Data folder: $data"
cd "$data"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting under Xvfb."
  exec xvfb-run -a "$bin/ecusetup" "$@"
fi
exec "$bin/ecusetup" "$@"
