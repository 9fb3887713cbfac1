#!/usr/bin/env bash
# Runs the X11 test executable on a private Xvfb display with openbox as the
# window manager, then stops both. Usage: run-x11-tests.sh X11_TEST_EXE [args]
# Exits 77 (reported by CTest as skipped) when Xvfb, openbox or xprop is not
# installed; never passes without running the tests.
set -u
exe=$1; shift

for tool in Xvfb openbox xprop; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipping the X11 tests (scripts/install-deps.sh installs it)."
    exit 77
  fi
done

tmp=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
if [ ! -s "$tmp/display" ]; then
  echo "Xvfb did not start:"; cat "$tmp/xvfb.log"; exit 1
fi
export DISPLAY=":$(head -n1 "$tmp/display")"
unset WAYLAND_DISPLAY

HOME="$tmp" openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
wm_pid=$!
# Wait until the window manager manages windows: it publishes its stacking
# list (empty at first) once it has taken over the root window.
ready=no
for _ in $(seq 100); do
  if xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | grep -q "(WINDOW)"; then ready=yes; break; fi
  sleep 0.1
done
if [ "$ready" != yes ]; then
  echo "openbox did not start:"; cat "$tmp/openbox.log"; exit 1
fi
sleep 0.2

"$exe" "$@"
