#!/usr/bin/env bash
# Checks a Windows build of mirutoka without running it: the machine it is
# for, a GUI program for Windows 7 SP1 and later, terminal-server aware, only
# DLLs that Windows itself ships and functions that Windows 7 has, its size.
# Usage: exe_check.sh EXE OBJDUMP FILE_FORMAT
set -uo pipefail
exe=$1 objdump=$2 format=$3
max_bytes=$((1024 * 1024))
system_dlls=" $(grep -v '^#' "$(dirname "$0")/../../../tools/windows_system_dlls.txt" | tr '\n' ' ') "
passed=0 failed=0

check() {
  local description=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $description" >&2; fi
}

headers=$("$objdump" -p "$exe")
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
# "dll function" for each function imported by name.
imports=$(awk '/DLL Name:/ { dll = tolower($3); next } dll != "" && /^\t[0-9a-f]+\t? *[0-9]+ +[A-Za-z_]/ { print dll " " $NF }' <<<"$headers")
known=$(grep -v '^#' "$(dirname "$0")/windows7_imports.txt")
size=$(stat -c %s "$exe")
echo "$(basename "$exe"): $format, $size bytes, imports: $(tr '\n' ' ' <<<"$dlls")"

check "the file format is $format" grep -q "file format $format\$" <<<"$headers"
check "it is a Windows GUI program" grep -qE '^Subsystem\s+0*2\s' <<<"$headers"
check "its subsystem version is 6.1, Windows 7" grep -qE '^MajorSubsystemVersion\s+6$' <<<"$headers"
check "its subsystem version is 6.1, Windows 7 (minor)" grep -qE '^MinorSubsystemVersion\s+1$' <<<"$headers"
check "it is terminal-server aware" grep -q 'TERMINAL_SERVICE_AWARE' <<<"$headers"
while read -r import; do
  check "Windows 7 has $import (windows7_imports.txt)" grep -qxF "$import" <<<"$known"
done <<<"$imports"
check "it imports functions by name" test -n "$imports"
check "it imports at least kernel32.dll" grep -qx kernel32.dll <<<"$dlls"
for dll in $dlls; do
  check "$dll is a DLL Windows ships" test "${system_dlls/ $dll /}" != "$system_dlls"
done
check "it is at most $max_bytes bytes" test "$size" -le "$max_bytes"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
