#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: the whole
# suite on a normal build, then the engine tests again under AddressSanitizer
# and UndefinedBehaviorSanitizer, with the desktop shell's tests.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
scripts/build.sh build-asan -DLARKSPUR_SANITIZE=ON -DLARKSPUR_BENCH=OFF
ctest --test-dir build --output-on-failure -j2
ctest --test-dir build-asan --output-on-failure -j2 -L 'engine|gui'
