#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Idempotent: packages already present are skipped, and apt-get runs only when
# something is missing. Run as root (or with sudo available).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libasound2-dev alsa-utils
  libx11-dev libxtst-dev
  xdg-utils
  qt6-base-dev fonts-dejavu-core
  xvfb openbox x11-utils
  clang libclang-rt-14-dev
  python3
  desktop-file-utils appstream librsvg2-bin file
  pipewire pipewire-bin pipewire-alsa wireplumber dbus-x11
  libwayland-dev libxkbcommon-dev sway qt6-wayland
  libsystemd-dev dbus-daemon mutter
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
