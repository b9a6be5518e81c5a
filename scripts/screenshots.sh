#!/usr/bin/env bash
# Renders the main window under Xvfb into docs/screenshots: once with no device and once with the
# simulated mouse on its cable. Uses a private runtime folder so a running simulator or tool of
# the user is not seen.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="${1:-$here/build}"
bin="$build_dir/bin"
out="$here/docs/screenshots"
mkdir -p "$out"

runtime=$(mktemp -d)
simulator=""
cleanup() {
  if [ -n "$simulator" ]; then
    kill -TERM "$simulator" 2>/dev/null || true
    wait "$simulator" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" XDG_DATA_HOME="$runtime/data"

xvfb-run -a -s "-screen 0 1280x800x24" "$bin/kestrion-config" --screenshot "$out/main-window-no-device.png"

"$bin/devsim" --plug cable </dev/null >/dev/null &
simulator=$!
for _ in $(seq 50); do
  [ -S "$runtime/kestrion-vhid/devsim.control" ] && break
  sleep 0.1
done
xvfb-run -a -s "-screen 0 1280x800x24" "$bin/kestrion-config" --screenshot "$out/main-window-mouse.png"
echo "written: $out/main-window-no-device.png $out/main-window-mouse.png"
