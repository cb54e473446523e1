#!/usr/bin/env bash
# Makes the windows of the given test programs unmanaged in the Wine prefix.
# Under a virtual display with no window manager, Wine waits about two seconds
# for the (absent) manager each time a managed top-level window goes away; the
# test programs open and close dozens of dialogs. Only these programs are
# affected (per-program AppDefaults keys), not Kestrane.exe.
# Usage: unmanaged-windows.sh WINE_RUN PROGRAM.exe...
set -euo pipefail
wine_run=$1
shift
for program in "$@"; do
  "$wine_run" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null
done
