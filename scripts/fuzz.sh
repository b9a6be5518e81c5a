#!/usr/bin/env bash
# Builds the file-reader fuzz target with clang and runs it for a fixed budget. libFuzzer exits
# non-zero on a crash, a leak, a hang or a memory overrun, and so does this script.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build_dir="$here/build-fuzz"

"$here/scripts/setup.sh" "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DKESTRION_FUZZ=ON -DKESTRION_BENCH=OFF
cmake --build "$build_dir" -j 2 --target profiles_fuzz
mkdir -p "$build_dir/profiles_corpus"
"$build_dir/tests/fuzz/profiles_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  "$build_dir/profiles_corpus" "$here/tests/fuzz/corpus"
