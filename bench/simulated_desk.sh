# Sourced by the tool benchmarks: a private runtime folder, an X server on display $1 (":97") and the
# simulator with a wired mouse, all ended when the script exits. Needs $bin (the build's bin/).
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

Xvfb "$1" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$1"
"$bin/devsim" --plug cable </dev/null >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -S "$runtime/kestrion-vhid/devsim.control" ] && break; sleep 0.1; done
