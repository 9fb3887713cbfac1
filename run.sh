#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job: listening
# to the bundled demo recording with the bundled demo table.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build >/dev/null
exec build/cli/larkspur-cli recognize --table resources/demo/demo.EAR --input resources/demo/demo.wav "$@"
