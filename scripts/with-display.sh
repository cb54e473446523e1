#!/usr/bin/env bash
# Runs a command with an X display: the user's own when there is one, else a
# private virtual one (Xvfb) for the length of the command.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then exec "$@"; fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
