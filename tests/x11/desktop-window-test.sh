#!/usr/bin/env bash
# The desktop program's main window as the window manager sees it: the caption
# is exactly "Larkspur QTX 98 - " and the table name (nothing appended), and the
# window opens in the middle of the screen. Runs inside run-x11-tests.sh.
# Usage: desktop-window-test.sh LARKSPUR_BINARY INPUT_WAV
set -u
larkspur=$1
input=$2
tmp=$(mktemp -d)
mkdir -p "$tmp/run"
chmod 700 "$tmp/run"
app_pid=""
finish() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap finish EXIT

HOME="$tmp" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_RUNTIME_DIR="$tmp/run" \
  "$larkspur" --input "$input" >"$tmp/out.log" 2>&1 &
app_pid=$!

# The caption follows the table name every 1.5 s once the window is shown.
window=""
name=""
for _ in $(seq 100); do
  for w in $(xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/.*# //p' | tr -d ','); do
    n=$(xprop -id "$w" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')
    case "$n" in "Larkspur QTX 98 - "*) window=$w; name=$n ;; esac
  done
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "FAIL: no main window with a table caption appeared"; cat "$tmp/out.log"; exit 1
fi
status=0
if [ "$name" != "Larkspur QTX 98 - UNTITLED" ]; then
  echo "FAIL: caption is '$name'"; status=1
fi

geometry() { xwininfo -id "$window" | sed -n "s/^ *$1: *//p"; }
x=$(geometry "Absolute upper-left X"); y=$(geometry "Absolute upper-left Y")
width=$(geometry Width); height=$(geometry Height)
screen=$(xwininfo -root | sed -n 's/^ *Width: *//p')x$(xwininfo -root | sed -n 's/^ *Height: *//p')
dx=$(( x + width / 2 - ${screen%x*} / 2 )); dy=$(( y + height / 2 - ${screen#*x} / 2 ))
# The title bar and border move the client area a little off the centre.
if [ "${dx#-}" -gt 8 ] || [ "${dy#-}" -gt 20 ]; then
  echo "FAIL: window at ${x},${y} ${width}x${height} is not centred on $screen"; status=1
fi
[ "$status" = 0 ] && echo "PASS: caption '$name', window centred"
exit "$status"
