#!/usr/bin/env bash
# Takes a screenshot of Kestrane.exe (docs/screenshot.png by default): the program
# on a virtual display, inside Wine's own desktop window so that Wine draws the
# frame and caption (there is no window manager), cut to the dialog. The defaults
# are calculated first, so the picture shows the results too.
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT_PNG]      (BUILD_DIR: build/mingw-x64)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/mingw-x64}" && pwd)
exe=$build/app/Kestrane.exe
press=$build/scripts/press_execute.exe
out=${2:-$root/docs/screenshot.png}
export WINEPREFIX=${WINEPREFIX:-$root/build/screenshot-wineprefix}
mkdir -p "$(dirname "$out")"
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<INNER
set -euo pipefail
"$root/scripts/wine-run.sh" explorer /desktop=kestrane,800x800 "$exe" >/dev/null 2>&1 &
sleep \${SCREENSHOT_WAIT:-4}
"$root/scripts/wine-run.sh" explorer /desktop=kestrane,800x800 "$press" kestrane
sleep 2
import -window root -crop 800x800+0+0 +repage "$out.full.png"
/usr/bin/wineserver -k 2>/dev/null || true
INNER
xvfb-run -a -s "-screen 0 1024x900x24" bash "$inner"
# Wine's desktop is one flat colour around the dialog: trimming it leaves the window.
convert "$out.full.png" -trim +repage -bordercolor white -border 0 "$out"
rm -f "$out.full.png"
identify "$out"
