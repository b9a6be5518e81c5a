#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one on its committed seed corpus (plus the
# inputs it found before, kept in the build folder). libFuzzer exits non-zero on a crash, a leak, a
# hang or a memory overrun, and so does this script.
#
# Usage: scripts/fuzz.sh [seconds per target] [target...]
#   FUZZ_SECONDS  seconds per target when no argument gives them (default 30, the CI budget)
#   FUZZ_RUNS     run each target for this many inputs instead of a time budget
#   Targets: json_documents report_descriptor virtual_description macro_events device_replies (all
#   by default).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-${FUZZ_SECONDS:-30}}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(json_documents report_descriptor virtual_description macro_events device_replies)
fi
build_dir="$here/build-fuzz"
# Without allocation stacks AddressSanitizer spends far less per input on the readers' many small
# JSON allocations; a crash is still caught, and its saved input replays with full stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0}

"$here/scripts/setup.sh" "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DKESTRION_FUZZ=ON -DKESTRION_BENCH=OFF
cmake --build "$build_dir" -j 2 --target "${targets[@]/%/_fuzz}"

for target in "${targets[@]}"; do
  found="$build_dir/corpus/$target"
  mkdir -p "$found"
  budget=(-max_total_time="$seconds")
  if [ -n "${FUZZ_RUNS:-}" ]; then
    budget=(-runs="$FUZZ_RUNS")
  fi
  echo "== $target"
  "$build_dir/tests/fuzz/${target}_fuzz" "${budget[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$found" "$here/tests/fuzz/corpus/$target"
done
