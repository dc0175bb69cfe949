#!/usr/bin/env bash
# Installs the Debian packages the Windows cross build and its Wine tests need, when any is missing.
set -euo pipefail
need=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 xvfb xauth)
missing=()
for p in "${need[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
