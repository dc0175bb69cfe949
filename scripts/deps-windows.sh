#!/usr/bin/env bash
# Installs the Debian packages the Windows cross builds and their Wine tests need, when any is missing.
set -euo pipefail
bash "$(dirname "$0")/install-missing.sh" g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 xvfb xauth
