#!/usr/bin/env bash
# Cross-builds for 64-bit Windows and runs the Windows tests under Wine, with windows on a virtual
# X display. Usage: scripts/test-windows.sh [BUILD_DIR]
# Needs g++-mingw-w64-x86-64, wine64, xvfb and xauth; the Wine prefix lives in the build directory.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win64}
bash scripts/build-windows.sh "$build"
export WINEPREFIX="$PWD/$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A fresh prefix is made on first use; do it before the tests so their timing does not include it.
[ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1 || true
xvfb-run -a ctest --test-dir "$build" --output-on-failure
