#!/usr/bin/env bash
# Checks a Windows build of mirutoka without running it: the machine it is
# for, a GUI program, only DLLs that Windows itself ships, and its size.
# Usage: exe_check.sh EXE OBJDUMP FILE_FORMAT
set -uo pipefail
exe=$1 objdump=$2 format=$3
max_bytes=$((1024 * 1024))
system_dlls=' advapi32.dll comctl32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll user32.dll '
passed=0 failed=0

check() {
  local description=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $description" >&2; fi
}

headers=$("$objdump" -p "$exe")
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
size=$(stat -c %s "$exe")
echo "$(basename "$exe"): $format, $size bytes, imports: $(tr '\n' ' ' <<<"$dlls")"

check "the file format is $format" grep -q "file format $format\$" <<<"$headers"
check "it is a Windows GUI program" grep -qE '^Subsystem\s+0*2\s' <<<"$headers"
check "it imports at least kernel32.dll" grep -qx kernel32.dll <<<"$dlls"
for dll in $dlls; do
  check "$dll is a DLL Windows ships" test "${system_dlls/ $dll /}" != "$system_dlls"
done
check "it is at most $max_bytes bytes" test "$size" -le "$max_bytes"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
