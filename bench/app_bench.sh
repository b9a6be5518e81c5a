#!/usr/bin/env bash
# The running tool with a simulated wired mouse: time from process start to the window shown,
# CPU used over 10 s with the window shown and with it hidden in the tray, and resident memory
# after start-up. Runs under Xvfb with a private runtime folder.
#   bench/app_bench.sh [build folder]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="${1:-$here/build}/bin"
seconds=10
ticks=$(getconf CLK_TCK)

runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" XDG_DATA_HOME="$runtime/data"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

Xvfb :97 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=:97
"$bin/devsim" --plug cable </dev/null >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -S "$runtime/kestrion-vhid/devsim.control" ] && break; sleep 0.1; done

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# One run: start, wait for the window, settle, then measure CPU over the interval.
run() {
  local label=$1; shift
  local trace="$runtime/trace-$label.log"
  local start now pid
  start=$(date +%s%N)
  KESTRION_DEBUG="$trace" "$bin/kestrion-config" "$@" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  until grep -q "main window activated" "$trace" 2>/dev/null; do sleep 0.005; done
  now=$(date +%s%N)
  sleep 3
  local rss before after
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  before=$(cpu_ticks "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  awk -v label="$label" -v ms=$(((now - start) / 1000000)) -v used=$((after - before)) \
    -v ticks="$ticks" -v seconds="$seconds" -v rss="$rss" 'BEGIN {
      printf "%-6s start to window %5d ms   CPU %5.2f %% of one core   RSS %6d KiB\n",
             label, ms, used * 100 / (ticks * seconds), rss }'
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
}

run shown
run tray --tray
