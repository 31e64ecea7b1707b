#!/usr/bin/env bash
# The Windows .zip: built by CPack, holding the program, the Japanese README
# and both example files, and its mirutoka.exe run once under Wine.
# Usage: zip_test.sh BUILD_DIR TOUCH_MARKER_EXE
set -uo pipefail
build=$(realpath "$1")
touch_marker=$(realpath "$2")
source "$(dirname "$0")/../e2e/e2e_lib.sh" "$build/e2e-screenshots"

package=$(cd "$build" && cpack -G ZIP 2>&1 | sed -n 's/.*package: \(.*\.zip\) generated.*/\1/p')
check "cpack builds the .zip" test -f "$package"
unpacked="$work/unpacked"
unzip -q "$package" -d "$unpacked"
for file in mirutoka.exe README.txt examples/{utf8,utf8-bom,cp932}/PASSWORD.INI; do
  check "the zip holds $file" test -f "$unpacked/$file"
done
check "the CP932 example ends its lines with CR LF" grep -q $'\r$' "$unpacked/examples/cp932/PASSWORD.INI"
check "the UTF-8 example starts with a byte-order mark" test "$(head -c 3 "$unpacked/examples/utf8-bom/PASSWORD.INI" | od -An -tx1 | tr -d ' ')" = efbbbf

start_wine_session
use_program "$wine" "$unpacked/mirutoka.exe"
new_case unpacked_program_starts_the_protected_one
cp "$touch_marker" "$dir/"
password_file $'himitsu\r\ntouch_marker.exe started\r\n'
right_password_starts

report_and_exit
