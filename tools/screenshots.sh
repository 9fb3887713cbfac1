#!/usr/bin/env bash
# Starts the desktop program under Xvfb on the bundled demo recording and
# writes PNGs of the main window on the splash panel and on every tab (the
# Create, Train and Edit panels also with voice commands in them), of the
# plot window, the catalogue tree after "Find App's && URL's", the finder's
# progress and location windows, the training window, the help viewer and
# the credits window.
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
shoot() {
  local dir=$1; shift
  mkdir -p "$dir"
  rm -rf "$scratch/home"/.config
  # The quick start guide would ask its question in a modal box; the tour
  # starts once the window is ready for work.
  mkdir -p "$scratch/home/.config/Halcyon Works"
  printf '[QuickStart]\nChecked=False\n' >"$scratch/home/.config/Halcyon Works/Larkspur QTX 98.conf"
  env "$@" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_RUNTIME_DIR="$scratch/run" \
    timeout 120 xvfb-run -a -s "-screen 0 1600x1200x24" \
    "$here/build/app/larkspur" --input "$here/resources/demo/demo.wav" --screenshot-dir "$dir"
  ls "$dir"/*.png
}
shoot "$out"
shoot "$out/2x" QT_SCALE_FACTOR=2
shoot "$out/2x-text" QT_FONT_DPI=192
