#!/usr/bin/env bash
# Renders spoken sounds into resources/sounds/ as 8-bit unsigned mono WAV at
# 11025 Hz, the format the program plays and records.
# Usage: tools/make_speech.sh [LIST [OUTPUT_DIR]]
#   LIST        lines "NAME<tab>text"; blank lines and lines starting with # are
#               skipped (default tools/speech.txt)
#   OUTPUT_DIR  where NAME.wav goes (default resources/sounds)
# Needs espeak-ng and sox (Debian packages of the same names); the program
# itself needs neither. The same list gives the same files on the same
# versions: sox runs without dither.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
list=${1:-$here/tools/speech.txt}
out=${2:-$here/resources/sounds}
voice=${LARKSPUR_SPEECH_VOICE:-en-us}
speed=${LARKSPUR_SPEECH_SPEED:-150}

for tool in espeak-ng sox; do
  command -v "$tool" >/dev/null || { echo "make_speech.sh: $tool is missing (apt-get install $tool)" >&2; exit 1; }
done
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

count=0
while IFS=$'\t' read -r name text || [ -n "$name" ]; do
  case "$name" in ''|'#'*) continue ;; esac
  if ! [[ "$name" =~ ^[A-Z0-9_]+$ ]] || [ -z "${text:-}" ]; then
    echo "make_speech.sh: bad line for '$name' in $list (want NAME<tab>text, NAME in capitals)" >&2
    exit 1
  fi
  espeak-ng -v "$voice" -s "$speed" -w "$scratch/raw.wav" -- "$text"
  # Resample, trim the silence espeak-ng puts around the words, leave 50 ms
  # at each end, and bring the peak to -1 dB.
  sox -D -V1 "$scratch/raw.wav" -r 11025 -c 1 -b 8 -e unsigned-integer "$out/$name.wav" \
    silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse pad 0.05 0.05 norm -1
  count=$((count + 1))
done < "$list"
echo "make_speech.sh: wrote $count sounds into $out"
