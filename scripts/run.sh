#!/usr/bin/env bash
# Builds the program and starts it against the simulated ECU behind the serial library.
#   JOBS=<n>  build jobs (default: the number of processors)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc)}
if ! [[ $jobs =~ ^[1-9][0-9]*$ ]]; then
  echo "JOBS must be a whole number of build jobs, 1 or more (it is \"$jobs\")." >&2
  exit 2
fi
bash scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DECU_BUILD_TESTS=OFF
cmake --build "$build" -j "$jobs"
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
  cat <<'TEXT'
No display found (DISPLAY is not set): the program runs on a hidden screen (Xvfb).
Its window is not shown anywhere and no keyboard or mouse reaches it; press Ctrl+C here to
end it. To see and use the window, start this script from a desktop session, or over
"ssh -X" from one, so that DISPLAY names a screen.
TEXT
  exec xvfb-run -a "$bin/ecusetup" "$@"
fi
exec "$bin/ecusetup" "$@"
