#!/usr/bin/env bash
# Cross-builds for 64-bit Windows and runs the Windows tests under Wine, with windows on a virtual
# X display; then builds for 32-bit Windows. Usage: scripts/test-windows.sh [BUILD_DIR]
# (relative to the repository root; the 32-bit build goes to BUILD_DIR with a trailing "64" changed
# to "32", else with "32" appended: build-win32 by default)
# Installs what it needs when missing (scripts/deps-windows.sh); the Wine prefix lives in the build
# directory, so removing that directory starts from a fresh prefix.
#
# Wine's desktop process takes the X display of whoever starts it first and keeps it while the
# prefix's wineserver lives. So the prefix is made and the tests run under one virtual display, the
# tests only once wineboot's work is done and its server has ended (a fresh prefix keeps installing
# devices for a while after wineboot returns, and programs started meanwhile may get no windows),
# and a server left over from an earlier run is stopped first.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-win64}")  # absolute: the Wine prefix below is named from it
bash scripts/deps-windows.sh
bash scripts/build-windows.sh "$build"
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null || true
wineserver -w
xvfb-run -a bash -c '
  set -euo pipefail
  trap "wineserver -k 2>/dev/null || true" EXIT
  wineboot --init >/dev/null 2>&1
  wineserver -w
  ctest --test-dir "$1" --output-on-failure
' test-windows "$build"

# The 32-bit module must build as cleanly (warnings are errors there too). Its programs are not run:
# a 32-bit Wine comes from Debian only as an i386 multiarch installation.
ORVANE_WINDOWS_ARCH=i686 bash scripts/build-windows.sh "${build%64}32"
