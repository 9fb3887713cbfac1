#!/usr/bin/env bash
# Configures and builds one build tree.
# Usage: scripts/build.sh DIR [CMAKE OPTIONS...] [-- TARGET...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
[ $# -gt 0 ] && shift
targets=()
for t in "$@"; do targets+=(--target "$t"); done
# Line tables only (-g1): backtraces and sanitizer reports keep their file and
# line, while compiling and linking take about half the time of full -g on a
# two-core machine. A developer who wants locals in gdb configures with
# -DCMAKE_BUILD_TYPE=Debug.
defaults=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
cmake -S "$here" -B "$here/$dir" -G Ninja "${defaults[@]}" "${options[@]}" >/dev/null
cmake --build "$here/$dir" "${targets[@]}"
