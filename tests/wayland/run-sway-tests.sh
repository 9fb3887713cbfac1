#!/usr/bin/env bash
# Runs a test executable inside a headless sway with a runtime folder of its
# own, then stops sway by its PID. Usage: run-sway-tests.sh TEST_EXE [args]
# Exits 77 (reported by CTest as skipped) when sway, setpriv or Qt's Wayland
# platform is missing; never passes without running the tests.
set -u
exe=$1; shift

for tool in sway setpriv; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipping the Wayland tests (scripts/install-deps.sh installs it)."
    exit 77
  fi
done
if ! ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1; then
  echo "Qt's Wayland platform (qt6-wayland) is not installed: skipping the Wayland tests."
  exit 77
fi

# sway refuses to run as root: as root, drop to uid 65534 for sway and the
# tests; as anybody else, run as that user.
uid=$(id -u)
drop=()
if [ "$uid" -eq 0 ]; then
  uid=65534
  drop=(setpriv --reuid=$uid --regid=$uid --clear-groups)
fi
run=$(mktemp -d)
chmod 755 "$run"
sway_pid=""
cleanup() {
  if [ -n "$sway_pid" ]; then
    kill "$sway_pid" 2>/dev/null
    wait "$sway_pid" 2>/dev/null
  fi
  [ -n "${LARKSPUR_KEEP_RUN:-}" ] && echo "kept $run" || rm -rf "$run"
}
trap cleanup EXIT

mkdir -p "$run/rt" "$run/home" "$run/out"
chown "$uid:$(id -g $uid 2>/dev/null || echo $uid)" "$run/rt" "$run/home" "$run/out"
chmod 700 "$run/rt"
printf 'output HEADLESS-1 resolution 1280x720\ndefault_border none\nfocus_on_window_activation focus\n' >"$run/sway.cfg"

user_env=(env -i PATH="$PATH" HOME="$run/home" XDG_RUNTIME_DIR="$run/rt")

# env and setpriv exec sway in place, so $! is sway's own PID.
"${user_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 \
  "${drop[@]}" sway -c "$run/sway.cfg" >"$run/sway.log" 2>&1 &
sway_pid=$!

display=""
swaysock=""
for _ in $(seq 100); do
  display=$(cd "$run/rt" && ls -1 wayland-* 2>/dev/null | grep -v '\.lock$' | head -n1)
  swaysock=$(ls -1 "$run/rt"/sway-ipc.*.sock 2>/dev/null | head -n1)
  [ -n "$display" ] && [ -n "$swaysock" ] && break
  if ! kill -0 "$sway_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ -z "$display" ] || [ -z "$swaysock" ]; then
  echo "sway did not start:"; cat "$run/sway.log"; exit 1
fi

"${user_env[@]}" WAYLAND_DISPLAY="$display" SWAYSOCK="$swaysock" XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland \
  LARKSPUR_TEST_OUT="$run/out" \
  "${drop[@]}" "$exe" "$@"
status=$?
if [ $status -ne 0 ]; then
  echo "--- sway log"; tail -n 30 "$run/sway.log"
fi
exit $status
