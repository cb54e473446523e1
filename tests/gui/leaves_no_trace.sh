#!/usr/bin/env bash
# A whole session with Kestrane.exe (start, a calculation, a message, the About
# dialog, exit) leaves its Wine prefix as it found it: no new or changed file under
# drive_c and no new or changed registry key or value. The session runs in a
# prefix of its own, and the server is let to finish, since it writes the registry
# to disk only when it ends.
#   leaves_no_trace.sh GUI_TESTS_EXE PREFIX_DIR
set -euo pipefail
driver=$1
export WINEPREFIX=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
run=$root/scripts/wine-run.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Files with size and modification time, and the registry with the times Wine
# stamps on its own taken out: "#time=..." lines, the number after each key's
# name, and the date the display driver gives its adapter at each start.
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . -printf '%y %s %T@ %p\n' | sort) >"$1.files"
  for hive in system user userdef; do
    sed -E -e '/^#time=/d' -e 's/^(\[.*\]) [0-9]+$/\1/' -e 's/^("DriverDateData"=hex:).*/\1/' "$WINEPREFIX/$hive.reg"
  done >"$1.reg"
}

differs() {
  ! diff -u "$1.files" "$2.files" >"$work/files.diff" || ! diff -u "$1.reg" "$2.reg" >"$work/reg.diff"
}

settle() { /usr/bin/wineserver -w; }

# A fresh prefix; then one run of the driver that starts no Kestrane.exe, so that
# whatever Wine itself writes on a first start (fonts, devices) is in the baseline.
rm -rf "$WINEPREFIX"
"$root/scripts/wine-prefix.sh" "$WINEPREFIX" --unmanaged
"$run" "$driver" --gtest_filter='KestraneBaseline.*' >"$work/baseline.log" 2>&1 || {
  cat "$work/baseline.log"; exit 1; }
settle
snapshot "$work/before"

"$run" "$driver" --gtest_filter='KestraneSession.*' >"$work/session.log" 2>&1 || {
  echo "The session itself failed:"; cat "$work/session.log"; exit 1; }
settle
snapshot "$work/after"

if differs "$work/before" "$work/after"; then
  echo "FAILED: the session changed the Wine prefix"
  cat "$work/files.diff" "$work/reg.diff" 2>/dev/null || true
  exit 1
fi
echo "The session left drive_c and the registry unchanged ($(wc -l <"$work/after.files") files, $(wc -l <"$work/after.reg") registry lines)."

# The comparison must see what it looks for: a key and a file written behind its back.
"$run" reg add 'HKCU\Software\KestraneProbe' /v Probe /t REG_SZ /d 1 /f >/dev/null 2>&1
settle
snapshot "$work/probe"
grep -q 'KestraneProbe' <(diff "$work/after.reg" "$work/probe.reg") || {
  echo "FAILED: a key written on purpose did not show in the registry comparison"; exit 1; }
touch "$WINEPREFIX/drive_c/kestrane-probe.txt"
snapshot "$work/probe2"
grep -q 'kestrane-probe.txt' <(diff "$work/probe.files" "$work/probe2.files") || {
  echo "FAILED: a file written on purpose did not show in the file comparison"; exit 1; }
rm -rf "$WINEPREFIX"
echo "PASSED"
