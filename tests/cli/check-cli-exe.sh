#!/usr/bin/env bash
# kestrane-cli.exe as built: the expected PE format, a console program, and no
# DLL beyond Windows' own (the C++ runtime linked in), so the one file runs
# anywhere. Runs natively, so the i686 build, which cannot run here, is checked too.
# Usage: check-cli-exe.sh EXE OBJDUMP FORMAT   (FORMAT: pei-x86-64 or pei-i386)
set -euo pipefail
exe=$1 objdump=$2 format=$3
dump=$("$objdump" -p "$exe")
checks=0 failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  checks=$((checks + 1))
  if ! "$@"; then
    echo "FAILED: $exe: $what"
    failed=$((failed + 1))
  fi
}
check "file format $format" grep -q "file format $format\$" <<<"$dump"
check "console subsystem" grep -q "^Subsystem.*(Windows CUI)" <<<"$dump"
imports=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
check "imports only kernel32.dll and msvcrt.dll (imports: $imports)" test "$imports" = "kernel32.dll msvcrt.dll "
echo "$((checks - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
