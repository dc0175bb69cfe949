#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja -DORVANE_WERROR=ON "$@" >/dev/null
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure
