#!/usr/bin/env bash
# Starts the desktop program under Xvfb on the bundled demo recording and
# writes PNGs of the main window on the splash panel and on every tab (the
# Create, Train and Edit panels also with voice commands in them), of the
# plot window, the catalogue tree after "Find App's && URL's", the finder's
# progress and location windows, the training window, the help viewer and
# the credits window; the quick start guide's questions, notes and steps
# (guide-*.png, the program walking through the guide as a user would); and
# the microphone set-up program (micsetup.png on this machine's devices,
# micsetup-no-device.png without any).
# Usage: tools/screenshots.sh [OUTPUT_DIR] (default build/screenshots).
# Three sets: the usual size in OUTPUT_DIR, the whole window at twice the pixel
# density in OUTPUT_DIR/2x, and text twice as large in OUTPUT_DIR/2x-text.
# Runs with a private home and runtime folder, so the user's options and a
# running instance are left alone.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$here/build/screenshots}")
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" build >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/run" "$out"
chmod 700 "$scratch/run"
# No sound card: the guide's narration fails at once instead of playing.
: >"$scratch/no-alsa.conf"
run() {  # quick-start-checked, then env settings, then the command
  local guide=$1; shift
  rm -rf "$scratch/home"/.config
  mkdir -p "$scratch/home/.config/Halcyon Works"
  printf '[QuickStart]\nChecked=%s\n' "$guide" >"$scratch/home/.config/Halcyon Works/Larkspur QTX 98.conf"
  env HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_RUNTIME_DIR="$scratch/run" "$@"
}
xvfb=(timeout 180 xvfb-run -a -s "-screen 0 1600x1200x24")
shoot() {
  local dir=$1; shift
  mkdir -p "$dir"
  # Without the guide: the tour starts once the window is ready for work.
  run False "$@" "${xvfb[@]}" "$here/build/app/larkspur" --input "$here/resources/demo/demo.wav" --screenshot-dir "$dir"
  # With it, in real time, so its waits and the question after twenty idle
  # seconds come as a user meets them.
  run True "$@" ALSA_CONFIG_PATH="$scratch/no-alsa.conf" "${xvfb[@]}" "$here/build/app/larkspur" \
    --input "$here/resources/demo/demo.wav" --realtime --screenshot-dir "$dir"
  run False "$@" "${xvfb[@]}" "$here/build/app/larkspur-micsetup" --screenshot "$dir/micsetup.png"
  run False "$@" ALSA_CONFIG_PATH="$scratch/no-alsa.conf" "${xvfb[@]}" "$here/build/app/larkspur-micsetup" \
    --screenshot "$dir/micsetup-no-device.png"
  ls "$dir"/*.png
}
shoot "$out"
shoot "$out/2x" QT_SCALE_FACTOR=2
shoot "$out/2x-text" QT_FONT_DPI=192
