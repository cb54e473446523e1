#!/usr/bin/env bash
# Checks a built Kestrane.exe without running it: the PE format and subsystem,
# the DLLs it imports (Windows' own only: it is linked statically), and its main
# form, string table and version block as the resource decompiler reads them back.
# Usage: check-exe.sh EXE OBJDUMP WINDRES FORMAT EXPECTED_RESOURCES
set -uo pipefail
exe=$1 objdump=$2 windres=$3 format=$4 expected=$5
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump -p $exe"; exit 1; }

grep -q "file format $format\$" <<<"$headers" ||
  fail "$exe: format is not $format: $(grep -m1 'file format' <<<"$headers")"
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" ||
  fail "$exe: not the Windows GUI subsystem: $(grep -m1 '^Subsystem' <<<"$headers")"

# Windows' own DLLs: the kernel, the window manager, GDI, the common controls
# and the C runtime that ships with Windows (msvcrt, or the UCRT's api sets).
allowed='^(kernel32|user32|gdi32|comctl32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$dlls" ] || fail "$exe: no imported DLLs found"
while read -r dll; do
  [ -z "$dll" ] && continue
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
  [[ $lower =~ $allowed ]] || fail "$exe imports $dll, which is not one of Windows' own DLLs"
done <<<"$dlls"

# The main form, the strings and the version block, decompiled; the icon data
# and the manifest are left out (the manifest is checked for its key entries).
resources=$("$windres" -i "$exe" -O rc) || { echo "FAIL: $windres -i $exe"; exit 1; }
actual=$(awk '
  /^102 DIALOGEX/ || /^STRINGTABLE/ || /^1 VERSIONINFO/ { keep = 1; depth = 0 }
  keep { print }
  keep && /^ *BEGIN/ { depth++ }
  keep && /^ *END/ { if (--depth == 0) { keep = 0; print "" } }
' <<<"$resources")
if ! diff -u "$expected" <(printf '%s\n' "$actual") >/tmp/check-exe.$$.diff; then
  fail "$exe: resources differ from $expected:"
  cat /tmp/check-exe.$$.diff
fi
rm -f /tmp/check-exe.$$.diff

languages=$(grep '^LANGUAGE' <<<"$resources" | sort -u)
[ "$languages" = "LANGUAGE 9, 1" ] || fail "$exe: resource languages are not only English (US): $languages"

for entry in 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' '<dpiAware ' '<supportedOS Id=""{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}""/>'; do
  grep -qF "$entry" <<<"$resources" || fail "$exe: the manifest lacks $entry"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for $exe"
  exit 1
fi
echo "OK: $exe ($format, GUI, imports: $(tr '\n' ' ' <<<"$dlls"))"
