#!/usr/bin/env bash
# The tool at rest in the tray with a simulated wired mouse: CPU over 60 s (every thread), and
# the time from plugging the mouse to its entry shown, over five plugs. Runs under Xvfb with a
# private runtime folder.
#   bench/idle_bench.sh [build folder] [seconds]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="${1:-$here/build}/bin"
seconds=${2:-60}

# shellcheck source=bench/simulated_desk.sh
source "$here/bench/simulated_desk.sh" "${BENCH_DISPLAY:-:96}"
mkdir -p "$runtime/data/Zorvane"
log="$runtime/data/Zorvane/Torvix.log"

# Nanoseconds every thread of the process has run.
cpu_ns() {
  local total=0 task
  for task in /proc/"$1"/task/*; do
    total=$((total + $(awk '{print $1}' "$task/schedstat" 2>/dev/null || echo 0)))
  done
  echo "$total"
}

trace="$runtime/trace.log"
KESTRION_DEBUG="$trace" "$bin/kestrion-config" --tray >/dev/null 2>&1 &
pid=$!
pids+=("$pid")
until grep -q "main window activated" "$trace" 2>/dev/null; do sleep 0.01; done
sleep 5
before=$(cpu_ns "$pid")
sleep "$seconds"
after=$(cpu_ns "$pid")
awk -v ns=$((after - before)) -v s="$seconds" 'BEGIN {
  printf "in the tray, wired mouse: CPU %.3f %% of one core over %d s\n", ns / (s * 1e7), s }'

# Plugs the cable five times and times each until the log says the entry is shown; one process
# sends the plug and watches the log, so no process start-up lands in the figure.
python3 - "$runtime/kestrion-vhid/devsim.control" "$log" <<'PY'
import socket, sys, time
control, log = sys.argv[1], sys.argv[2]

def say(command):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.connect(control)
    s.sendall((command + "\n").encode())
    s.recv(256)

def shown():
    with open(log, errors="replace") as f:
        return f.read().count("pNoDeviceLinkLyout    false")

figures = []
for _ in range(5):
    say("unplug cable")
    time.sleep(1.5)
    before = shown()
    start = time.monotonic()
    say("plug cable")
    while shown() == before:
        time.sleep(0.0005)
    figures.append((time.monotonic() - start) * 1000)
    time.sleep(1.5)
print("plug to entry shown: " + " ".join("%.1f" % f for f in figures) + " ms (five plugs)")
PY
