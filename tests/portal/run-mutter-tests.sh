#!/usr/bin/env bash
# Runs the mutter test executable against a headless mutter with a key-echo
# window, on a private session bus, then stops both by pid.
# Usage: run-mutter-tests.sh TEST_EXE ECHO_WINDOW_EXE [TEST ARGS...]
# Exits 77 (skipped) when mutter or dbus-run-session is not installed. As
# root it runs everything as the unprivileged uid 65534.
set -u
if [ "${1:-}" = "--inner" ]; then
  shift
  exe=$1 window=$2 run=$3
  shift 3
  display=larkspur-mutter
  mutter --headless --virtual-monitor 1280x720 --wayland --no-x11 --wayland-display=$display \
    >"$run/mutter.log" 2>&1 &
  mutter_pid=$!
  window_pid=""
  cleanup() {
    [ -n "$window_pid" ] && kill "$window_pid" 2>/dev/null && wait "$window_pid" 2>/dev/null
    kill "$mutter_pid" 2>/dev/null && wait "$mutter_pid" 2>/dev/null
  }
  trap cleanup EXIT
  for _ in $(seq 150); do
    [ -S "$XDG_RUNTIME_DIR/$display" ] && break
    sleep 0.1
  done
  if [ ! -S "$XDG_RUNTIME_DIR/$display" ]; then
    echo "mutter did not start:"; cat "$run/mutter.log"; exit 1
  fi
  QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=$display "$window" "$run/events" >"$run/window.log" 2>&1 &
  window_pid=$!
  for _ in $(seq 150); do
    grep -q '^ready' "$run/events" 2>/dev/null && break
    sleep 0.1
  done
  if ! grep -q '^ready' "$run/events" 2>/dev/null; then
    echo "the echo window did not get the focus:"; cat "$run/window.log" "$run/mutter.log"; exit 1
  fi
  LARKSPUR_ECHO_EVENTS="$run/events" "$exe" "$@"
  exit $?
fi

exe=$1 window=$2
shift 2
for tool in mutter dbus-run-session; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipping the mutter tests (scripts/install-deps.sh installs it)."
    exit 77
  fi
done
run=$(mktemp -d)
trap '[ -n "${LARKSPUR_KEEP_RUN:-}" ] || rm -rf "$run"' EXIT
mkdir "$run/rt"
chmod 700 "$run/rt"
self=$(readlink -f "$0")
if [ "$(id -u)" -eq 0 ]; then
  # mutter will not run as root; the build tree must be readable by others.
  chmod 755 "$run"
  chown -R 65534:65534 "$run/rt"
  chown 65534:65534 "$run"
  setpriv --reuid=65534 --regid=65534 --clear-groups \
    env -i PATH="$PATH" HOME="$run" XDG_RUNTIME_DIR="$run/rt" \
    dbus-run-session -- "$self" --inner "$exe" "$window" "$run" "$@"
else
  env -u WAYLAND_DISPLAY -u DISPLAY HOME="$run" XDG_RUNTIME_DIR="$run/rt" \
    dbus-run-session -- "$self" --inner "$exe" "$window" "$run" "$@"
fi
