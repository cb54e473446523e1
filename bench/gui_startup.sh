#!/usr/bin/env bash
# Startup time and size of Kestrane.exe.
#  - Time from process start to the dialog showing its default texts (field 1005
#    reads "20.95"), median of 20 starts under Wine, against the same figure for a
#    minimal dialog program built with the same toolchain, started in turn with it.
#    Kestrane.exe may take at most 1.2 times as long.
#  - For what that ratio is made of, the same bare program is also timed around
#    Kestrane's own form and manifest: under Wine the 37 controls alone cost much
#    of the difference, and what is left is the framework's and the program's own.
#  - Size of Kestrane.exe (x86_64) once stripped: at most 512 KiB.
# Usage: bench/gui_startup.sh [RUNS]     (BUILD_DIR defaults to build/mingw-x64)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=${1:-20}
build=${BUILD_DIR:-build/mingw-x64}

[ -f "$build/CMakeCache.txt" ] || cmake --preset mingw-x64 -B "$build" >/dev/null
cmake --build "$build" -j2 --target kestrane_app minimal_dialog bare_form_dialog gui_startup_timer >/dev/null

kestrane=$root/$build/app/Kestrane.exe
minimal=$root/$build/tests/gui/minimal_dialog.exe
bare_form=$root/$build/tests/gui/bare_form_dialog.exe
timer=$root/$build/tests/gui/gui_startup_timer.exe
export WINEPREFIX=$root/$build/tests/gui/wineprefix
tests/gui/prepare_prefix.sh "$WINEPREFIX"

# A warm server of this prefix alone: every start below finds it running, as a
# user's second start would. Wine's own services outlive the timer and keep its
# output open, so the output goes to a file, not a pipe.
/usr/bin/wineserver -k 2>/dev/null || true
/usr/bin/wineserver -p
work=$(mktemp -d)
trap 'rm -rf "$work"; /usr/bin/wineserver -k 2>/dev/null || true' EXIT

scripts/with-display.sh scripts/wine-run.sh "$timer" "$runs" "$kestrane" "$minimal" "$bare_form" >"$work/times" 2>"$work/errors" || {
  cat "$work/times" "$work/errors" >&2; exit 1; }
tr -d '\r' <"$work/times"
medians=($(tr -d '\r' <"$work/times" | awk '/^median/ {print $2}'))
[ ${#medians[@]} -eq 3 ] || { echo "no medians in the timer's output" >&2; exit 1; }

stripped=$work/Kestrane.stripped.exe
x86_64-w64-mingw32-strip -o "$stripped" "$kestrane"
size=$(stat -c %s "$stripped")

awk -v k="${medians[0]}" -v m="${medians[1]}" -v f="${medians[2]}" -v n="$runs" -v size="$size" 'BEGIN {
  ratio = k / m
  printf "Start to default texts, median of %d: Kestrane.exe %.1f ms, minimal dialog %.1f ms, ratio %.2f (limit 1.20)\n", n, k, m, ratio
  printf "The same bare program with Kestrane'"'"'s form and manifest: %.1f ms (%.2f x the minimal dialog); Kestrane.exe is %.2f x that\n", f, f / m, k / f
  printf "Kestrane.exe (x86_64) stripped: %d bytes = %.1f KiB (limit 512 KiB)\n", size, size / 1024
  bad = 0
  if (ratio > 1.2) { print "FAILED: Kestrane.exe starts more than 1.2 times slower than the minimal dialog"; bad = 1 }
  if (size > 512 * 1024) { print "FAILED: Kestrane.exe is larger than 512 KiB stripped"; bad = 1 }
  exit bad
}'
