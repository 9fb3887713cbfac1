#!/usr/bin/env bash
# Builds the table file fuzzer in build-fuzz/ (clang) and runs it.
# Usage: tools/fuzz.sh [SECONDS]   (default 180). Findings land in build-fuzz/findings/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-180}
tree="$here/build-fuzz"
CC=clang CXX=clang++ cmake -S "$here" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLARKSPUR_FUZZ=ON -DLARKSPUR_TESTS=OFF -DLARKSPUR_BENCH=OFF >/dev/null
cmake --build "$tree" -j2 --target table_file_fuzzer table_file_fuzz_seeds
mkdir -p "$tree/corpus" "$tree/findings"
"$tree/tests/fuzz/table_file_fuzz_seeds" "$tree/corpus"
cd "$tree/findings"
# Every save flushes to disk; on a RAM-backed folder that costs nothing.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
exec "$tree/tests/fuzz/table_file_fuzzer" "$tree/corpus" -max_len=100000 -max_total_time="$seconds" \
    -print_final_stats=1
