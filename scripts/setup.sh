#!/usr/bin/env bash
# Installs the Debian packages the project needs and configures a build.
# Usage: scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
# Safe to run again: installed packages are left alone, an existing build is reconfigured.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-"$here/build"}
shift || true

packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libjsoncpp-dev libevdev-dev libudev-dev
  libasound2-dev libpulse-dev alsa-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-tools-dev libqt6uitools6 libqt6opengl6-dev qt6-l10n-tools libgl-dev
  xvfb xauth dbus xdotool
  fonts-wqy-microhei
  dpkg-dev desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
