#!/usr/bin/env bash
# Photographs the settings dialog and the RCON tab as the Windows module draws them, under Wine on
# a virtual X display, into docs/settings-dialog.png and docs/rcon-tab.png.
# Usage: scripts/screenshots.sh [BUILD_DIR]
# Installs what scripts/test-windows.sh installs, and ImageMagick for its import.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win64}

if [ "${ORVANE_SCREENSHOTS_INSIDE:-}" != 1 ]; then
  bash scripts/deps-windows.sh
  bash scripts/install-missing.sh imagemagick
  bash scripts/build-windows.sh "$build"
  export WINEPREFIX="$PWD/$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # wineboot returns while a fresh prefix is still being set up; wait for its server to end.
  if [ ! -d "$WINEPREFIX" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
  fi
  # No window manager runs on the virtual display: Wine draws the frames and captions itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  ORVANE_SCREENSHOTS_INSIDE=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" docs
wineserver -k 2>/dev/null || true  # a server from before knows no display
shoot() {  # which, output
  local ready="$work/$1.ready" done="$work/$1.done"
  wine "$build/bin/orvane_show_dialogs.exe" "$1" tests/win32/dialogs_session.cfg \
    "$(winepath -w "$work/data")" "$(winepath -w "$ready")" "$(winepath -w "$done")" \
    >"$work/$1.log" 2>&1 &
  local program=$!
  for _ in $(seq 300); do [ -s "$ready" ] && break; sleep 0.1; done
  if [ ! -s "$ready" ]; then
    kill "$program" 2>/dev/null || true
    echo "screenshots: the $1 did not appear" >&2; cat "$work/$1.log" >&2; return 1
  fi
  sleep 1  # lets the last paint reach the display
  read -r x y w h <"$ready"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
  touch "$done"
  wait "$program"
  echo "wrote $2 (${w}x${h})"
}
shoot settings docs/settings-dialog.png
shoot tab docs/rcon-tab.png
