#!/usr/bin/env bash
# Renders the main window under Xvfb into docs/screenshots: with no device, with the simulated
# mouse on its cable on each shown tab of its page (and each performance sub-page), with a stock
# background chosen in the skin pop-up, and with the receiver plugged while the mouse behind it is
# switched off, with the mouse pad alone and with the headset alone; the keyboard page with its keys and macros tabs; then the skin's own windows (settings in both languages, skin pop-up, shoot page). Uses a private runtime folder so a
# running simulator or tool of the user is not seen.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="${1:-$here/build}"
bin="$build_dir/bin"
out="$here/docs/screenshots"
mkdir -p "$out"

runtime=$(mktemp -d)
simulator=""
stop_simulator() {
  if [ -n "$simulator" ]; then
    kill -TERM "$simulator" 2>/dev/null || true
    wait "$simulator" 2>/dev/null || true
    simulator=""
  fi
}
cleanup() {
  stop_simulator
  rm -rf "$runtime"
}
trap cleanup EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" XDG_DATA_HOME="$runtime/data"

# shot FILE [CONTROL...]: the window once it shows, after clicking the named controls.
shot() {
  local file=$1
  shift
  local clicks=()
  for name in "$@"; do clicks+=(--click "$name"); done
  xvfb-run -a -s "-screen 0 1280x800x24" "$bin/kestrion-config" --screenshot "$out/$file" "${clicks[@]}"
  echo "written: $out/$file"
}

# start_simulator COMMAND...: devsim with these commands on its standard input.
start_simulator() {
  printf '%s\n' "$@" | "$bin/devsim" >/dev/null &
  simulator=$!
  for _ in $(seq 50); do
    [ -S "$runtime/kestrion-vhid/devsim.control" ] && break
    sleep 0.1
  done
}

shot main-window-no-device.png

start_simulator "plug cable"
shot main-window-mouse.png
shot mouse-tab-lighting.png deng_Op_tab
shot colour-picker.png system_Op_tab DPI_color_option_0
shot audio-styles-window.png music_setting_btn
shot mouse-tab-performance-dpi.png system_Op_tab mouse_device_seting_option_0
shot mouse-tab-performance-advanced.png system_Op_tab mouse_device_seting_option_1
shot mouse-tab-performance-pointer.png system_Op_tab mouse_device_seting_option_2
shot mouse-tab-shoot.png otherset_Op_tab
shot main-window-skin.png skinbtn skin_image_btn_1

# The Macros tab with a recorded macro in the library, and while it records another take.
write_sample_macro() {
  local folder="$XDG_DATA_HOME/Kestrion Z880-ZIR Gaming Mouse/mouse"
  local guid=2026_01_01_12_00_00_000
  mkdir -p "$folder"
  printf '{"MacroInfo": [{"MacroName": "Burst", "Guid": "%s"}, {"MacroName": "Reload", "Guid": "%s1"}]}\n' \
    "$guid" "$guid" >"$folder/macro.config"
  cat >"$folder/$guid.mac" <<'MACRO'
{"MacroName": "Burst", "Guid": "2026_01_01_12_00_00_000", "Version": 64, "Events": [
 {"Action": "down", "Button": 2, "Type": 9, "Delay": "32"},
 {"Action": "down", "Button": 4, "Type": 10, "Delay": "85"},
 {"Action": "up", "Button": 4, "Type": 10, "Delay": "41"},
 {"Action": "up", "Button": 2, "Type": 9, "Delay": "120"},
 {"Action": "down", "Button": 1, "Type": 1, "Delay": "64"},
 {"Action": "up", "Button": 1, "Type": 1, "Delay": "50"},
 {"Action": "down", "Button": 15, "Type": 4, "Delay": "50"},
 {"Action": "up", "Button": 15, "Type": 5, "Delay": "10"}]}
MACRO
}
write_sample_macro
shot mouse-tab-macros.png macro_Op_tab
shot mouse-tab-macros-recording.png macro_Op_tab macro_btn_starredio
stop_simulator

start_simulator "mouse off" "plug receiver"
shot receiver-mouse-off.png
stop_simulator

# The mouse pad alone: its page with the preview of its zones and its lighting editor.
start_simulator "plug pad"
shot mousepad-page.png
stop_simulator

# The keyboard alone: the simulator gives it the product id of the shipped keyboard rows (no real
# keyboard has it), so the tool finds it as it would a configured one. Its first page holds the wave.
start_simulator "keyboard-product 0000" "poke keyboard settings 1 02" "plug keyboard"
shot keyboard-page.png
shot keyboard-tab-keys.png key_Op_tab
shot keyboard-tab-macros.png macro_Op_tab
stop_simulator
# The headset alone: its lighting page, its equaliser and its voice effects.
start_simulator "plug headset"
shot headset-page.png
shot headset-page-equaliser.png hs_function_tabs=1
stop_simulator

# The buttons tab with its editor open, over a small macro library: a button on the keyboard page
# with the Ctrl option chosen, and a button playing a macro a number of times.
macros="$XDG_DATA_HOME/Kestrion Z880-ZIR Gaming Mouse/mouse"
mkdir -p "$macros"
macro_file() {
  printf '{"Events": [{"Action": "down", "Button": 4, "Delay": "30", "Type": 10}, '
  printf '{"Action": "up", "Button": 4, "Delay": "30", "Type": 10}], "Guid": "%s", "MacroName": "%s", "Version": 64}\n' "$1" "$2"
}
macro_file 2026_01_01_00_00_00_100 Reload > "$macros/2026_01_01_00_00_00_100.mac"
macro_file 2026_01_01_00_00_00_101 "Build order" > "$macros/2026_01_01_00_00_00_101.mac"
printf '{"MacroInfo": [{"Guid": "2026_01_01_00_00_00_100", "MacroName": "Reload"}, {"Guid": "2026_01_01_00_00_00_101", "MacroName": "Build order"}]}\n' > "$macros/macro.config"
start_simulator "plug cable"
shot mouse-tab-buttons-keyboard.png key_Op_tab key_4 keyset_function_combo=6 key_ComBox_check_1
shot mouse-tab-buttons-macro.png key_Op_tab key_3 keyset_function_combo=9 keyset_macro_combo=1 keyset_macro_over_combo=4
stop_simulator

# A slow mouse: the page says what the device is busy with while its first read runs.
start_simulator "latency 300" "plug cable"
shot mouse-device-busy.png

# Windows and pages drawn from the skin alone: the settings window and its update page (an update
# found, the confirmation, one running, one done and one failed) in both languages, the skin
# pop-up, the shoot page with its pattern picture, the prompt.
QT_QPA_PLATFORM=offscreen "$build_dir/bin/kestrion-skinshot" "$out"
echo "written: the skin's windows in $out"
