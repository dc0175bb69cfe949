#!/usr/bin/env bash
# The side-by-side benchmark: builds compare_bench in build-release (Release, -DORVANE_COMPARE=ON)
# and runs it from the repository root, which prints the table and writes docs/bench-compare.csv and
# docs/bench-compare.png. Installs what it needs when missing. Extra arguments go to compare_bench.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
bash scripts/deps.sh
bash scripts/install-missing.sh pkg-config libconfig++-dev libyaml-cpp-dev libtomlplusplus-dev \
  nlohmann-json3-dev rapidjson-dev gnuplot-nox
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_COMPARE=ON >/dev/null
cmake --build build-release --target compare_bench
status=0
build-release/bin/compare_bench "$@" || status=$?
echo "scripts/bench.sh took $((SECONDS - start)) s"
exit $status
