#!/usr/bin/env bash
# Rebuilds the bundled demo from the development speech corpus: the test
# recording of synthetic speaker dev1 and a table trained from that speaker's
# training recordings. Usage: tools/make_demo.sh [CORPUS_DIR] (needs a build in build/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-$here/../shared/corpus}
cli=$here/build/cli/larkspur-cli
out=$here/resources/demo
[ -x "$cli" ] || { echo "build larkspur-cli first (scripts/build.sh build)" >&2; exit 1; }
[ -d "$corpus/dev1" ] || { echo "no corpus at $corpus" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
train() {  # phrase, action, training file
  "$cli" train --table "$tmp/demo.EAR" --phrase "$1" --action "$2" --input "$corpus/dev1/train/$3"
}
train "zoom in" "^+" 01_zoom_in.wav
train "zoom out" "^-" 02_zoom_out.wav
train "next track" "{RIGHT}" 03_next_track.wav
train "previous track" "{LEFT}" 04_previous_track.wav
train "go back" "@{LEFT}" 05_go_back.wav
train "go forward" "@{RIGHT}" 06_go_forward.wav
train "save" "^s" 07_save.wav
train "print" "^p" 08_print.wav
train "refresh" "{F5}" 09_refresh.wav
train "start menu" "@{F1}" 10_start_menu.wav
train "task manager" "^{ESC}" 11_task_manager.wav
train "spell check" "{F7}" 12_spell_check.wav

mkdir -p "$out"
cp "$tmp/demo.EAR" "$tmp/demo.LK+" "$out/"
cp "$corpus/dev1/test/test_1.wav" "$out/demo.wav"
cp "$corpus/dev1/test/test_1.json" "$out/demo.json"
echo "demo written to $out"
