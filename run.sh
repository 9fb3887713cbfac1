#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. On a desktop that is
# the desktop program (on a machine without a microphone it listens to the
# bundled demo recording with the bundled demo table). Without a display it
# listens to the demo recording with larkspur-cli and prints what it recognises.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/larkspur "$@"
fi
echo "No display: listening to the demo recording with larkspur-cli instead of the desktop program." >&2
exec build/cli/larkspur-cli recognize --table resources/demo/demo.EAR --input resources/demo/demo.wav "$@"
