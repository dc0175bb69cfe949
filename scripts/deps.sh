#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
bash "$(dirname "$0")/install-missing.sh" cmake ninja-build g++ googletest libgtest-dev libgmock-dev \
  libbenchmark-dev clang libclang-rt-14-dev
