#!/usr/bin/env bash
# Makes the Debian package and checks it: the files it installs, the udev rule and its reload,
# the desktop entry, the AppStream file, and that the program starts from where it is installed.
#   scripts/package.sh [BUILD_DIR]     (a configured build, build/ by default)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-"$here/build"}

cmake --build "$build_dir" -j 2 --target kestrion-config kestrion-ctl
rm -f "$build_dir"/kestrion-config_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(ls "$build_dir"/kestrion-config_*.deb)
echo "package: $deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/files"
dpkg-deb -e "$deb" "$root/control"

fail() { echo "package check failed: $*" >&2; exit 1; }

for file in usr/bin/kestrion-config usr/bin/kestrion-ctl \
            usr/share/applications/kestrion-config.desktop \
            usr/share/metainfo/org.kestrion.Config.metainfo.xml \
            usr/share/icons/hicolor/36x36/apps/kestrion-config.png \
            usr/share/kestrion-config/skin/res.xml \
            usr/share/kestrion-config/DefaultData/default_light.json; do
  [ -e "$root/files/$file" ] || fail "$file is missing"
done
rules=$(find "$root/files" -path '*udev/rules.d/70-kestrion.rules')
[ -n "$rules" ] || fail "the udev rule is missing"
grep -q 'TAG+="uaccess"' "$rules" || fail "the udev rule gives no access"
grep -q 'udevadm control --reload-rules' "$root/control/postinst" || fail "installing does not reload udev"
grep -q '^Depends:.*libqt6widgets6' "$root/control/control" || fail "the package does not depend on Qt"

desktop-file-validate "$root/files/usr/share/applications/kestrion-config.desktop"
appstreamcli validate --no-net "$root/files/usr/share/metainfo/org.kestrion.Config.metainfo.xml"

# The installed program finds its skin and data beside itself and shows its window.
home="$root/home"
mkdir -p "$home/data" "$home/run"
chmod 700 "$home/run"
QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" \
  timeout 60 "$root/files/usr/bin/kestrion-config" --screenshot "$home/window.png" || fail "the installed program did not start"
[ -s "$home/window.png" ] || fail "the installed program showed no window"
"$root/files/usr/bin/kestrion-ctl" --help >/dev/null || fail "kestrion-ctl does not run"
echo "package check passed"
