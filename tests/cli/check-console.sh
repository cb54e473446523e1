#!/usr/bin/env bash
# kestrane-cli.exe writes a file name outside the console's code page whole to
# a console. Wine gives a program started on a terminal a console, so the
# program runs on a pseudo-terminal (script): what reaches the terminal must be
# the name itself, not its UTF-8 bytes taken as code page characters ("Î©").
# Usage: check-console.sh EMULATOR EXE
set -euo pipefail
emulator=$1 exe=$2
export LC_ALL=C.UTF-8
status=0
shown=$(script -qec "'$emulator' '$exe' --csv Ωmega.csv" /dev/null) || status=$?
# The console draws with escape sequences; the characters are what count.
shown=$(printf '%s' "$shown" | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr -d '\r')
if [ "$status" -ne 3 ] || ! grep -q "cannot read 'Ωmega.csv'" <<<"$shown"; then
  echo "FAILED: exit status $status, the console showed: $shown"
  exit 1
fi
echo "the console showed the name whole"
