#!/usr/bin/env bash
# Makes a Wine prefix ready for Kestrane's programs: Wine's own set-up, no crash
# dialog, and Wine's own fonts where this Wine build looks for them (the bitmap
# MS Sans Serif gives dialogs the metrics they were laid out for, where a
# substitute clips the labels, and Marlett draws the caption buttons). Each step
# runs once; a ready prefix costs a few file tests.
# With --unmanaged, Wine's X11 driver is also told that no window manager looks
# after its windows: on a virtual display there is none, and Wine would wait two
# seconds for one each time a window closes. Tests and benchmarks want that; a
# user's desktop, where a window manager draws the frames, does not.
#   wine-prefix.sh PREFIX_DIR [--unmanaged]
set -euo pipefail
export WINEPREFIX=$1
unmanaged=${2:-}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
wine=/usr/lib/wine/wine64

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  /usr/bin/wineserver -w || true
fi

fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/sserife.fon" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$fonts/" 2>/dev/null || true
fi

marker=$WINEPREFIX/.kestrane-unmanaged
if [ "$unmanaged" = --unmanaged ] && [ ! -f "$marker" ]; then
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  /usr/bin/wineserver -w
  touch "$marker"
fi
