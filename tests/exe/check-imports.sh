#!/usr/bin/env bash
# What Kestrane.exe imports, function by function: the program keeps nothing and
# talks to nothing, so it may import no networking DLL and no function that writes
# the registry, starts a program or writes a file, except the few stream functions
# the statically linked C/C++ runtime calls for its own error reports, and those
# only while none of our own object files calls them.
#   check-imports.sh EXE OBJDUMP NM OUR_CODE
#     OUR_CODE: our own object files and static libraries, separated by '|'.
#   check-imports.sh --control PROBE_EXE OBJDUMP NM PROBE_OBJECTS
#     Runs the check on a program built to import one function of each kind and
#     passes only if the check fails and names every one of them.
set -uo pipefail

if [ "${1:-}" = --control ]; then
  shift
  report=$("$0" "$@" 2>&1)
  status=$?
  printf '%s\n' "$report"
  echo "--- control: the check above must fail and name each planted import"
  [ "$status" -eq 1 ] || { echo "FAIL: the check exited with $status on the probe, not 1"; exit 1; }
  missed=0
  for planted in 'networking DLL ws2_32.dll' 'registry writing: advapi32.dll RegSetValueExW' \
    'program start: kernel32.dll CreateProcessW' 'program start: kernel32.dll WinExec' \
    'program start: shell32.dll ShellExecuteW' 'file writing: kernel32.dll CreateFileW' \
    'file writing: kernel32.dll WriteFile' 'file writing: msvcrt.dll fopen' \
    'our own code references fopen' 'our own code references fputs' 'our own code references RegSetValueExW'; do
    grep -qF "FAIL: $planted" <<<"$report" || { echo "FAIL: the check did not report \"$planted\""; missed=$((missed + 1)); }
  done
  [ "$missed" -eq 0 ] || exit 1
  echo "OK: the check caught every planted import"
  exit 0
fi

exe=$1 objdump=$2 nm=$3 our_code=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump -p $exe"; exit 1; }
# 32-bit C names carry a leading underscore and stdcall ones an @N suffix.
strip_underscore=0
grep -q 'file format pei-i386$' <<<"$headers" && strip_underscore=1

# "dll function" per import, from the import tables objdump interprets.
imports=$(awk '
  /^The Import Tables/ { inside = 1; next }
  inside && /^The / { inside = 0 }
  inside && /DLL Name:/ { dll = tolower($3); print dll, "-"; next }
  inside && dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }
' <<<"$headers")
[ -n "$imports" ] || { echo "FAIL: $exe: no import table read"; exit 1; }

echo "Imports of $exe:"
awk '$2 == "-" { if (line) print line; line = "  " $1 ":"; next } { line = line " " $2 } END { if (line) print line }' <<<"$imports"

# Networking, by DLL: sockets, the internet and HTTP clients, name lookup,
# network adapters, shares and remote procedure calls.
net_dlls='^(ws2_32|wsock32|mswsock|winsock|wininet|winhttp|iphlpapi|dnsapi|urlmon|netapi32|mpr|rpcrt4|websocket|httpapi|winnsi|nddeapi)\.dll$'

# Functions no part of the program may import, by kind.
registry_writing='^(RegSetValue|RegSetKeyValue|RegCreateKey|RegDeleteKey|RegDeleteValue|RegDeleteTree|RegSaveKey|RegReplaceKey|RegRestoreKey|RegLoadKey|RegUnLoadKey|RegCopyTree|RegLoadAppKey|RegOverridePredefKey|SHSetValue|SHRegSetValue|SHRegSetUSValue|SHRegWriteUSValue|SHRegCreateUSKey|SHDeleteKey|SHDeleteValue|SHDeleteEmptyKey|SHCopyKey|SHRegDeleteUSValue|SHRegDeleteEmptyUSKey|WriteProfile|WritePrivateProfile)'
program_start='^(ShellExecute|CreateProcess|WinExec|LoadModule|system$|_wsystem$|_popen$|_wpopen$|_spawn|spawn|_exec|exec[lv]|ShellExec_|SHCreateProcess)'
# Kernel file functions: the static runtime writes only through msvcrt's streams,
# so none of these is needed and none is allowed.
file_writing='^(CreateFile|OpenFile$|ReOpenFile|_lcreat|_lopen|_lwrite|_hwrite|WriteFile|DeleteFile|MoveFile|ReplaceFile|CopyFile|CreateDirectory|RemoveDirectory|SetFileAttributes|SetEndOfFile|SetFileInformationByHandle|SetFileTime|SetFileValidData|CreateHardLink|CreateSymbolicLink|GetTempFileName|CreateNamedPipe|CallNamedPipe|FlushFileBuffers|DefineDosDevice|SetVolumeLabel|EncryptFile|DecryptFile)'
# The C runtime's ways to open, make, remove or rename a file, and stream output.
crt_file_opening='^(fopen|_wfopen|fopen_s|_wfopen_s|freopen|_wfreopen|_fsopen|_wfsopen|_open|_wopen|_sopen|_wsopen|_creat|_wcreat|open$|creat$|tmpfile|_tempnam|_wtempnam|tmpnam|_mktemp|remove$|_wremove|rename$|_wrename|_unlink|_wunlink|unlink$|_mkdir|_wmkdir|mkdir$|_rmdir|_wrmdir|rmdir$|_chmod|_wchmod|_chsize|_utime|_wutime|_fdopen|_wfdopen|_open_osfhandle)'
# What the static runtime itself imports from msvcrt to write: libstdc++'s and
# MinGW's start-up code's error reports go to the standard error stream they are
# handed, and open no file. Allowed only while our own code calls none of them.
crt_stream_output='^(fprintf|vfprintf|fputc|fputs|fwrite|printf|vprintf|puts|putchar|_write|_flsbuf|fflush|_fputwc|fputwc|fputws|fwprintf|vfwprintf)$'
# C++ and MinGW spellings our own code would show for the same kinds of calls.
# Loading a DLL by name at run time would get round this whole check; the runtime
# does it for its own thread support, our code must not.
dynamic_loading='^(LoadLibrary|GetProcAddress|LdrLoadDll|LdrGetProcedureAddress)'
cxx_file_or_output='(basic_ofstream|basic_fstream|basic_filebuf|St10filesystem|_ZSt4cout|_ZSt4cerr|_ZSt4clog|_ZSt5wcout|_ZSt5wcerr|^__mingw_.*printf$|^__mingw_fopen|^__mingw_.*puts$)'

kind_of() {  # the forbidden kind of one imported function, or nothing
  local name=$1
  if [[ $name =~ $registry_writing ]]; then echo "registry writing"
  elif [[ $name =~ $program_start ]]; then echo "program start"
  elif [[ $name =~ $file_writing || $name =~ $crt_file_opening ]]; then echo "file writing"
  fi
}

while read -r dll function; do
  if [ "$function" = - ]; then
    [[ $dll =~ $net_dlls ]] && fail "networking DLL $dll"
    continue
  fi
  kind=$(kind_of "$function")
  [ -n "$kind" ] && fail "$kind: $dll $function"
done <<<"$imports"

# Our own code: every name its object files leave for the linker to find.
IFS='|' read -r -a our_files <<<"$our_code"
[ "${#our_files[@]}" -gt 0 ] || fail "no object files of our own code given"
referenced=
for file in "${our_files[@]}"; do
  [ -f "$file" ] || { fail "object file or library $file not found"; continue; }
  names=$("$nm" -u "$file" 2>/dev/null | awk 'NF && $NF !~ /:$/ { print $NF }') || fail "$nm -u $file"
  referenced+=$names$'\n'
done
referenced=$(sed -e 's/^__imp_//' -e 's/@[0-9]*$//' <<<"$referenced" | sort -u | sed '/^$/d')
[ "$strip_underscore" -eq 1 ] && referenced=$(sed 's/^_//' <<<"$referenced")
echo "Our own code (${#our_files[@]} files) references $(wc -l <<<"$referenced") outside names."
while read -r name; do
  [ -z "$name" ] && continue
  if [ -n "$(kind_of "$name")" ] || [[ $name =~ $crt_stream_output || $name =~ $cxx_file_or_output || $name =~ $dynamic_loading ]]; then
    fail "our own code references $name"
  fi
done <<<"$referenced"

if [ "$failures" -ne 0 ]; then
  echo "$failures forbidden import(s) or reference(s) in $exe"
  exit 1
fi
echo "OK: $exe imports no networking DLL and nothing that writes the registry or a file or starts a program"
