#!/usr/bin/env bash
# Installs the Debian package on a fresh Debian 12 system and checks what a
# new user gets: apt resolves every dependency from the package's Depends,
# the three programs start, and the desktop entry, icons, metainfo and man
# pages lie where the desktop menu and man find them.
#
# The fresh system is made with debootstrap (minbase) in a temporary folder
# and removed afterwards. It downloads about 150 MB of packages from the
# Debian mirror, so it is not part of ./test.sh. Needs root.
#
# Usage: tools/check-fresh-install.sh [--base DIR] [DEB]
#   DEB         the package to install; without it tools/make-deb.sh builds one
#   --base DIR  copy an earlier debootstrap result instead of making a new one
#               (for repeated runs; it is copied, never changed)
# Environment: MIRROR (default http://deb.debian.org/debian)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
mirror=${MIRROR:-http://deb.debian.org/debian}
base=
deb=
while [ $# -gt 0 ]; do
    case $1 in
    --base) base=$2; shift 2 ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) deb=$1; shift ;;
    esac
done
[ "$(id -u)" -eq 0 ] || { echo "check-fresh-install: run as root (debootstrap and chroot need it)" >&2; exit 2; }

work=$(mktemp -d /var/tmp/larkspur-fresh.XXXXXX)
root="$work/root"
cleanup() {
    for m in dev/pts dev proc sys; do mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m"; done
    rm -rf "$work"
}
trap cleanup EXIT

if [ -z "$deb" ]; then
    deb=$("$here/tools/make-deb.sh" "$work/deb" | tail -n 1)
fi
[ -f "$deb" ] || { echo "check-fresh-install: no package at $deb" >&2; exit 2; }

step() { printf '\n== %s\n' "$*"; }
failed=0
fail() { echo "FAIL: $*"; failed=1; }
ok() { echo "ok: $*"; }

if [ -n "$base" ]; then
    step "copying the fresh Debian 12 system from $base"
    cp -a "$base" "$root"
else
    command -v debootstrap >/dev/null || { echo "check-fresh-install: apt-get install debootstrap" >&2; exit 2; }
    step "making a fresh Debian 12 system with debootstrap from $mirror"
    debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 \
        || { tail -n 20 "$work/debootstrap.log"; echo "FAIL: debootstrap could not make the system (is $mirror reachable?)"; exit 1; }
    ok "debootstrap bookworm (minbase)"
fi
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

step "dependencies of $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends

step "apt-get install ./$(basename "$deb") (apt resolves the Depends)"
cp "$deb" "$root/tmp/"
in_root apt-get update -q >"$work/apt.log" 2>&1 || { tail -n 20 "$work/apt.log"; echo "FAIL: apt-get update"; exit 1; }
if in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1; then
    ok "installed with $(grep -c '^Setting up' "$work/apt.log") packages set up (recommends left out)"
else
    tail -n 20 "$work/apt.log"
    echo "FAIL: apt-get install"
    exit 1
fi

step "the programs start (no display, no sound card, a new user's empty home)"
in_root useradd -m newuser
as_user() {
    chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/newuser USER=newuser LANG=C.UTF-8 \
        XDG_RUNTIME_DIR=/tmp/newuser-run QT_QPA_PLATFORM=offscreen ALSA_CONFIG_PATH=/tmp/no-alsa.conf \
        /usr/sbin/runuser -u newuser -- "$@"
}
mkdir -p "$root/tmp/newuser-run"
# No sound card either, whatever the machine running this check has: the
# /dev of the host is visible in the fresh system.
: >"$root/tmp/no-alsa.conf"
chroot "$root" chown newuser: /tmp/newuser-run
chmod 700 "$root/tmp/newuser-run"
check_output() {  # description, pattern, command...
    local what=$1 pattern=$2; shift 2
    local out
    if out=$(as_user "$@" 2>&1) && grep -Eq "$pattern" <<<"$out"; then
        ok "$what: $(head -n 1 <<<"$out")"
    else
        fail "$what: $(head -n 3 <<<"$out")"
    fi
}
check_output "larkspur-cli --version" '^larkspur-cli [0-9]' larkspur-cli --version
check_output "larkspur --version" '^larkspur [0-9]' larkspur --version
check_output "larkspur-micsetup --help" '[Uu]sage' larkspur-micsetup --help
# Without a sound card it says there is none (and exits 1); it must not crash.
check_output "larkspur-cli devices" 'No capture devices found|^[^ ]' sh -c 'larkspur-cli devices; [ $? -le 1 ]'
# The desktop program on its own: without a capture device it listens to the
# installed demo; its screenshot tour proves the window came up and found
# its resources under /usr/share/larkspur.
status=0
as_user timeout 90 larkspur --screenshot-dir /tmp/newuser-run/shots >"$work/larkspur.log" 2>&1 || status=$?
if ls "$root/tmp/newuser-run/shots/"*.png >/dev/null 2>&1; then
    ok "larkspur started offscreen and took $(ls "$root/tmp/newuser-run/shots/"*.png | wc -l) screenshots"
    # Known: on the demo recording the tour's closing does not end the process.
    [ $status -eq 0 ] || echo "note: larkspur did not exit after its screenshots (exit $status)"
else
    fail "larkspur did not start offscreen (exit $status, $(ls "$root/tmp/newuser-run/shots/" 2>/dev/null | wc -l) screenshots): $(grep -v 'This plugin does not support' "$work/larkspur.log" | tail -n 5)"
fi
if as_user timeout 60 larkspur-micsetup --screenshot /tmp/newuser-run/micsetup.png >"$work/micsetup.log" 2>&1 \
        && [ -s "$root/tmp/newuser-run/micsetup.png" ]; then
    ok "larkspur-micsetup started offscreen"
else
    fail "larkspur-micsetup did not start offscreen: $(tail -n 3 "$work/micsetup.log")"
fi
# The window system plug-ins a desktop session needs: X11 (xcb) at least.
plugins=$(in_root sh -c 'ls /usr/lib/*/qt6/plugins/platforms/ 2>/dev/null' | tr '\n' ' ')
case $plugins in
*libqxcb.so*) ok "Qt platform plug-ins: $plugins" ;;
*) fail "no X11 (xcb) platform plug-in installed, only: $plugins" ;;
esac
missing=$(in_root sh -c 'for f in /usr/libexec/larkspur/* /usr/bin/larkspur-cli /usr/lib/*/qt6/plugins/platforms/*.so; do ldd "$f" 2>/dev/null | grep "not found"; done; true' | sort -u)
[ -z "$missing" ] && ok "every library the programs and plug-ins load is installed" || fail "libraries not found: $missing"

step "where the desktop menu and man find the program"
for f in /usr/share/applications/larkspur.desktop \
         /usr/share/icons/hicolor/scalable/apps/larkspur.svg \
         /usr/share/icons/hicolor/48x48/apps/larkspur.png \
         /usr/share/icons/hicolor/128x128/apps/larkspur.png \
         /usr/share/metainfo/io.github.halcyonworks.larkspur.metainfo.xml; do
    [ -e "$root$f" ] && ok "$f" || fail "missing $f"
done
for page in larkspur larkspur-cli larkspur-micsetup; do
    found=$(ls "$root/usr/share/man/man1/$page.1"* 2>/dev/null | head -n 1)
    [ -n "$found" ] && ok "man page ${found#"$root"}" || fail "no man page for $page"
done
icon=$(sed -n 's/^Icon=//p' "$root/usr/share/applications/larkspur.desktop")
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/larkspur.desktop" | head -n 1)
[ -e "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] && ok "desktop entry's Icon=$icon is in the hicolor theme" \
    || fail "desktop entry's Icon=$icon is not in the hicolor theme"
program=${exec_line%% *}
in_root sh -c "command -v $program" >/dev/null && ok "desktop entry's Exec=$exec_line is on PATH" \
    || fail "desktop entry's Exec=$exec_line is not on PATH"

step "validators (installed only now, so they cannot mask a missing dependency)"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    desktop-file-utils appstream man-db >>"$work/apt.log" 2>&1 || fail "could not install the validators"
out=$(in_root desktop-file-validate /usr/share/applications/larkspur.desktop 2>&1) \
    && ok "desktop-file-validate${out:+: $out}" || fail "desktop-file-validate: $out"
out=$(in_root appstreamcli validate --no-net /usr/share/metainfo/io.github.halcyonworks.larkspur.metainfo.xml 2>&1) \
    && ok "appstreamcli validate: $(tail -n 1 <<<"$out")" || fail "appstreamcli validate: $out"
for page in larkspur larkspur-cli larkspur-micsetup; do
    out=$(in_root man -w "$page" 2>&1) && ok "man -w $page: $out" || fail "man -w $page: $out"
done
# What the desktop menu lists: the entry is in the applications folder of
# the XDG data directories, in a main category.
grep -Eq '^Categories=.*(AudioVideo|Audio|Utility|Accessibility)' "$root/usr/share/applications/larkspur.desktop" \
    && ok "desktop entry in a main menu category: $(sed -n 's/^Categories=//p' "$root/usr/share/applications/larkspur.desktop")" \
    || fail "desktop entry has no main menu category"

step "result"
if [ $failed -eq 0 ]; then echo "PASS: the package installs and works on a fresh Debian 12"; else echo "FAILED"; fi
exit $failed
