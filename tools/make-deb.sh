#!/usr/bin/env bash
# Builds the Debian package: a Release build of its own (no tests, no
# benchmarks), then CPack. Writes exactly one larkspur_<version>_<arch>.deb
# into OUTDIR.
# Usage: tools/make-deb.sh OUTDIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: tools/make-deb.sh OUTDIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
build="$here/build-deb"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DLARKSPUR_TESTS=OFF -DLARKSPUR_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build"
rm -rf "$build/_CPack_Packages"
rm -f "$build"/larkspur_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/larkspur_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "make-deb: expected one package, found ${#debs[@]}" >&2; exit 1; }
cp "${debs[0]}" "$out/"
echo "$out/$(basename "${debs[0]}")"
