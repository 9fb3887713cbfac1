#!/usr/bin/env bash
# Installs the build into a temporary root and checks what a user's machine
# would get: the files, a valid desktop entry and metainfo, and programs that
# start from the installed location and find their own resources there.
# Usage: check-install.sh BUILD_DIR
set -uo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
usr="$root/usr"
for f in bin/larkspur bin/larkspur-cli bin/larkspur-micsetup \
         libexec/larkspur/larkspur libexec/larkspur/larkspur-micsetup \
         share/larkspur/sounds/BEEP.wav share/larkspur/demo/demo.wav share/larkspur/demo/demo.EAR \
         share/applications/larkspur.desktop share/metainfo/io.github.halcyonworks.larkspur.metainfo.xml \
         share/icons/hicolor/scalable/apps/larkspur.svg share/icons/hicolor/48x48/apps/larkspur.png \
         share/icons/hicolor/128x128/apps/larkspur.png share/man/man1/larkspur-micsetup.1; do
    [ -e "$usr/$f" ] || fail "missing $f"
done
# Nothing from the source tree's notes is shipped as data.
[ -e "$usr/share/larkspur/README.md" ] && fail "README.md installed as data"
# The links in bin/ must point into the program directory, relatively.
[ "$(readlink "$usr/bin/larkspur")" = "../libexec/larkspur/larkspur" ] || fail "bin/larkspur does not link into libexec"
# No install path may point back into the build or the source tree.
if grep -rlsF "$build" "$usr/share" >/dev/null; then fail "installed data names the build tree"; fi

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$usr/share/applications/larkspur.desktop" || fail "desktop entry invalid"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$usr/share/metainfo/io.github.halcyonworks.larkspur.metainfo.xml" >/dev/null \
        || fail "metainfo invalid: $(appstreamcli validate --no-net "$usr/share/metainfo/"*.xml 2>&1 | head -5)"
fi
# The metainfo's addresses are the ones the program opens (app/ProjectAddresses.h).
src_dir=$(grep -E '^CMAKE_HOME_DIRECTORY' "$build/CMakeCache.txt" | cut -d= -f2)
for kind in homepage bugtracker; do
    url=$(sed -n "s|.*<url type=\"$kind\">https://\(.*\)</url>.*|\1|p" "$usr/share/metainfo/io.github.halcyonworks.larkspur.metainfo.xml")
    [ -n "$url" ] && grep -qF "\"$url\"" "$src_dir/app/ProjectAddresses.h" \
        || fail "metainfo $kind '$url' is not one of app/ProjectAddresses.h"
done
if command -v file >/dev/null; then
    file -b "$usr/share/icons/hicolor/48x48/apps/larkspur.png" | grep -q "48 x 48" || fail "48 px icon is not 48x48"
    file -b "$usr/share/icons/hicolor/128x128/apps/larkspur.png" | grep -q "128 x 128" || fail "128 px icon is not 128x128"
fi

"$usr/bin/larkspur" --version | grep -Eq '^larkspur [0-9]' || fail "installed larkspur --version"
"$usr/bin/larkspur-cli" --version | grep -Eq '^larkspur-cli [0-9]' || fail "installed larkspur-cli --version"

# Start the installed program offscreen, with the source tree out of reach:
# without a capture device it plays the installed demo, so the main window
# and the demo table prove it found share/larkspur.
shots="$root/shots"
mkdir -p "$shots" "$root/home"
alsa="$root/alsa.conf"; : > "$alsa"
export QT_QPA_PLATFORM=offscreen HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" \
       XDG_RUNTIME_DIR="$root/home" ALSA_CONFIG_PATH="$alsa"
src=$(grep -E '^CMAKE_HOME_DIRECTORY' "$build/CMakeCache.txt" | cut -d= -f2)
timeout 60 "$usr/bin/larkspur-micsetup" --screenshot "$shots/micsetup.png" >/dev/null 2>&1 \
    || fail "installed larkspur-micsetup did not start"
[ -s "$shots/micsetup.png" ] || fail "no picture from larkspur-micsetup"
if command -v strace >/dev/null; then
    timeout 60 strace -f -e trace=openat -o "$root/trace" "$usr/bin/larkspur" --screenshot-dir "$shots" >/dev/null 2>&1
    grep -q "$usr/libexec/larkspur/../../share/larkspur/demo/demo.wav\|$usr/share/larkspur/demo/demo.wav" "$root/trace" \
        || fail "installed larkspur did not open the installed demo"
    grep -q "\"$src/resources" "$root/trace" && fail "installed larkspur read resources from the source tree"
else
    timeout 60 "$usr/bin/larkspur" --screenshot-dir "$shots" >/dev/null 2>&1
fi
ls "$shots"/*.png >/dev/null 2>&1 || fail "installed larkspur took no screenshots"
exit $failed
