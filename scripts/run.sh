#!/usr/bin/env bash
# Sets up and builds the tool and starts it. When no supported device is plugged in, the device
# simulator stands in with a mouse on its cable for as long as the tool runs.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$here/build"
"$here/scripts/setup.sh" "$build_dir"
cmake --build "$build_dir" -j 2 --target kestrion-config kestrion-hidinfo devsim
bin="$build_dir/bin"

simulator=""
stop_simulator() {
  if [ -n "$simulator" ]; then
    kill -TERM "$simulator" 2>/dev/null || true
    wait "$simulator" 2>/dev/null || true
  fi
}
trap stop_simulator EXIT

if ! "$bin/kestrion-hidinfo" | grep -q 'supported=[0-9]'; then
  echo "No supported device is plugged in: starting the device simulator (a mouse on its cable)."
  "$bin/devsim" --plug cable </dev/null &
  simulator=$!
  for _ in $(seq 50); do
    "$bin/kestrion-hidinfo" | grep -q 'supported=[0-9]' && break
    sleep 0.1
  done
fi

"$bin/kestrion-hidinfo"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the tool runs without a visible window (Ctrl-C ends it)."
  export QT_QPA_PLATFORM=offscreen
fi
"$bin/kestrion-config"
