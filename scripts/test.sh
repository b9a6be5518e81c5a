#!/usr/bin/env bash
# Sets up, builds and runs every test.
#   scripts/test.sh              release build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$here/build"
options=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir="$here/build-asan"
  options=(-DKESTRION_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi

"$here/scripts/setup.sh" "$build_dir" "${options[@]}"
cmake --build "$build_dir" -j 2
ctest --test-dir "$build_dir" --output-on-failure -j 2
