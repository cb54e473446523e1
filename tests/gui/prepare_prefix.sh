#!/usr/bin/env bash
# Makes the Wine prefix the GUI tests run in, once: Wine's own set-up, then Wine's
# X11 driver told that no window manager looks after its windows (there is none on a
# virtual display; otherwise Wine waits two seconds for one each time a window closes).
#   prepare_prefix.sh PREFIX_DIR
set -euo pipefail
export WINEPREFIX=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
marker=$WINEPREFIX/.kestrane-gui-ready
[ -f "$marker" ] && exit 0
"$root/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
/usr/bin/wineserver -w
touch "$marker"
