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

# shellcheck source=bench/simulated_desk.sh
# BENCH_DISPLAY picks another display when :97 is taken.
source "$here/bench/simulated_desk.sh" "${BENCH_DISPLAY:-:97}"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Nanoseconds on the CPU of the tool's notification readers (threads named kc-notify).
reader_ns() {
  local total=0 task
  for task in /proc/"$1"/task/*; do
    [ "$(cat "$task/comm" 2>/dev/null)" = "kc-notify" ] || continue
    total=$((total + $(awk '{print $1}' "$task/schedstat")))
  done
  echo "$total"
}

# One command to the simulator's control socket.
devsim_say() {
  python3 - "$runtime/kestrion-vhid/devsim.control" "$1" <<'PY'
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(sys.argv[1])
s.sendall((sys.argv[2] + "\n").encode())
s.recv(256)
PY
}

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
  local rss before after readerBefore readerAfter
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  before=$(cpu_ticks "$pid")
  readerBefore=$(reader_ns "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  readerAfter=$(reader_ns "$pid")
  awk -v label="$label" -v ms=$(((now - start) / 1000000)) -v used=$((after - before)) \
    -v ticks="$ticks" -v seconds="$seconds" -v rss="$rss" -v reader=$((readerAfter - readerBefore)) 'BEGIN {
      printf "%-6s start to window %5d ms   CPU %5.2f %% of one core (readers %5.3f %%)   RSS %6d KiB\n",
             label, ms, used * 100 / (ticks * seconds), reader / (seconds * 1e7), rss }'
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
}

run shown
run tray --tray
# The fastest preview effect: the mouse holds the wave (device code 4) at full brightness and
# speed 4 (stored as 0), which the tool reads at start and animates on the mouse picture.
devsim_say "poke mouse settings 1 04 04 00"
run wave
devsim_say "poke mouse settings 1 00 04 04"
# The mouse moving: every motion report reaches the tool's notification reader, which skips it.
devsim_say "motion 1000"
run m1000
devsim_say "motion 8000"
run m8000
devsim_say "motion 0"
