#!/usr/bin/env bash
# Cross-builds the module, the reference host, orvane-cfg and the Windows tests for 64-bit Windows.
# Usage: scripts/build-windows.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win64}
shift || true
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DORVANE_WERROR=ON \
  -DORVANE_TESTS=OFF -DORVANE_BENCH=OFF "$@" >/dev/null
cmake --build "$build"
