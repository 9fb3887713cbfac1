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

# Xvfb picks a free display number itself and writes it to fd 3. Two servers
# starting at the same moment can both take the same number, and the loser
# reports it anyway (CTest runs the X11 tests one at a time for that reason;
# another user's server may still start alongside): the display is ours once
# our server lets a client in and has not found the number taken.
start_xvfb() {
  : >"$tmp/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
  xvfb_pid=$!
  local n
  for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  n=$(head -n1 "$tmp/display")
  [ -n "$n" ] || return 1
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    kill -0 "$xvfb_pid" 2>/dev/null || return 1
    grep -q "server already running" "$tmp/xvfb.log" && return 1
    xprop -root >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
# Starts openbox on the display and waits until it manages windows: it
# publishes its stacking list (empty at first) once it has taken over the
# root window.
start_openbox() {
  HOME="$tmp" openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do
    xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | grep -q "(WINDOW)" && return 0
    kill -0 "$wm_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Now and then a freshly started server turns the window manager away; a
# new pair of both is tried a few times before giving up.
unset WAYLAND_DISPLAY
started=no
for _ in 1 2 3 4 5; do
  if start_xvfb && start_openbox; then started=yes; break; fi
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  wm_pid=""; xvfb_pid=""
  sleep 0.$((RANDOM % 5 + 1))
done
if [ "$started" != yes ]; then
  echo "Xvfb and openbox did not start on ${DISPLAY:-no display}:"
  echo "openbox said:"; cat "$tmp/openbox.log" 2>/dev/null
  echo "Xvfb said:"; cat "$tmp/xvfb.log"; exit 1
fi
sleep 0.2

"$exe" "$@"
