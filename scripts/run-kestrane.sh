#!/usr/bin/env bash
# Starts Kestrane.exe under Wine on the user's display. Without a display it
# says so and shows the program on a virtual one instead, printing how to look at it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=$root/build/mingw-x64/app/Kestrane.exe
if [ ! -f "$exe" ]; then
  # The dialog program is not built on this checkout: correct the default reading.
  cmake --preset native >/dev/null && cmake --build --preset native --target kestrane-cli >/dev/null
  exec "$root/build/native/cli/kestrane-cli"
fi
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$root/scripts/wine-run.sh" "$exe"
fi
echo "No X display (DISPLAY is not set or not reachable)." >&2
echo "Running Kestrane.exe on a virtual display instead; to see it, run on a desktop, or:" >&2
echo "  xvfb-run -a -s '-screen 0 1024x768x24' scripts/wine-run.sh explorer /desktop=kestrane,800x800 $exe" >&2
echo "and take a screenshot with: DISPLAY=:99 import -window root shot.png" >&2
exec xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-run.sh" explorer /desktop=kestrane,800x800 "$exe"
