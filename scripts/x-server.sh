#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) with a window manager (openbox), where windows are
# mapped, exposed and activated as on a user's desktop; both are stopped afterwards, whatever
# the command's outcome. Works as root and without any display of its own.
#   scripts/x-server.sh <command> [arguments...]
# X_SCREEN_SIZE sets the screen (default 1280x1024x24).
set -euo pipefail
if [ $# -eq 0 ]; then
  echo "usage: $0 <command> [arguments...]" >&2
  exit 2
fi
for program in Xvfb openbox; do
  command -v "$program" >/dev/null || { echo "$program is missing: run scripts/install-deps.sh" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb=""
wm=""
stop() {
  for pid in $wm $xvfb; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop EXIT

# Wait up to 10 s for a file to appear (non-empty with -s).
wait_for() {
  local test=$1 file=$2
  for _ in $(seq 100); do
    [ "$test" "$file" ] && return 0
    sleep 0.1
  done
  return 1
}

# The server picks a free display number and writes it once it accepts connections.
Xvfb -displayfd 3 -screen 0 "${X_SCREEN_SIZE:-1280x1024x24}" -nolisten tcp \
  3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
if ! wait_for -s "$work/display"; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
unset WAYLAND_DISPLAY

openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
wm=$!
if ! wait_for -e "$work/wm-ready"; then
  echo "openbox did not start:" >&2
  cat "$work/openbox.log" >&2
  exit 1
fi

echo "X server $DISPLAY (${X_SCREEN_SIZE:-1280x1024x24}) with openbox"
status=0
"$@" || status=$?
exit "$status"
