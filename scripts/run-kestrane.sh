#!/usr/bin/env bash
# Starts Kestrane.exe under Wine on the user's display. Without a display it
# says so and how to run it on a virtual one, and takes a screenshot of it
# running there so the user still sees what it shows.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=$root/build/mingw-x64/app/Kestrane.exe
if [ ! -f "$exe" ]; then
  echo "Kestrane.exe is not built: run make run (or make windows first)." >&2
  exit 1
fi
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$root/scripts/wine-run.sh" "$exe"
fi
echo "No X display (DISPLAY is not set or not reachable), so Kestrane.exe cannot be shown here." >&2
echo "On a desktop, run:   make run" >&2
echo "On a virtual display, you can drive it yourself with:" >&2
echo "  xvfb-run -a -s '-screen 0 1024x900x24' scripts/wine-run.sh explorer /desktop=kestrane,800x800 $exe" >&2
echo "Meanwhile, here is what it shows: starting it on a virtual display for a screenshot..." >&2
shot=$root/build/kestrane-screenshot.png
"$root/scripts/screenshot.sh" "$root/build/mingw-x64" "$shot" >/dev/null
echo "Screenshot of the running dialog: $shot" >&2
