#!/usr/bin/env bash
# Cross-builds the module, the reference host, orvane-cfg and the Windows tests for Windows: 64-bit,
# or 32-bit with ORVANE_WINDOWS_ARCH=i686 (the width of a host that is itself a 32-bit program).
# Usage: [ORVANE_WINDOWS_ARCH=x86_64|i686] scripts/build-windows.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${ORVANE_WINDOWS_ARCH:-x86_64}
case "$arch" in x86_64|i686) ;; *) echo "ORVANE_WINDOWS_ARCH must be x86_64 or i686" >&2; exit 2 ;; esac
build=${1:-build-win64}
shift || true
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-w64-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DORVANE_WERROR=ON \
  -DORVANE_TESTS=OFF -DORVANE_BENCH=OFF "$@" >/dev/null
cmake --build "$build"
