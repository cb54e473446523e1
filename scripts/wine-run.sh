#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix (WINEPREFIX, else
# build/wineprefix), made ready first by scripts/wine-prefix.sh, with no
# Mono/Gecko prompts and no debug chatter.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
"$here/wine-prefix.sh" "$WINEPREFIX"
exec /usr/lib/wine/wine64 "$@"
