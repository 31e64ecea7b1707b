#!/usr/bin/env bash
# The Linux build in Xvfb with openbox.
# Usage: linux_e2e.sh MIRUTOKA SCREENSHOT_DIR
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh" "$2"
use_program "$(realpath "$1")"

new_case no_display_says_so_in_one_line
(cd "$dir" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "${program[@]}") \
  >"$dir/stdout" 2>"$dir/stderr"
check "exits with status 1" test $? -eq 1
check "says so in one line" test "$(wc -l <"$dir/stderr")" -eq 1
check "names the variables" grep -q 'DISPLAY.*WAYLAND_DISPLAY' "$dir/stderr"

start_x_session

new_case right_password_starts_the_program
password_file $'himitsu\n../touch.sh "started here"\n'
launch --unexpected -platform offscreen
check_window_shape
check "the process refuses core dumps" grep -qE '^Max core file size +0 ' "/proc/$pid/limits"
password_starts himitsu "started here"

new_case caps_lock_hint_follows_caps_lock
password_file $'himitsu\n../touch.sh started\n'
hint='Caps Lock がオンになっています'
press Caps_Lock
launch
check "the hint shows from the first frame" poll has_window "$pid" "$hint"
screenshot "$screenshots/caps_lock_hint.png"
press Caps_Lock
check "the hint goes when Caps Lock goes off" poll no_box "$hint"
press Caps_Lock
check "the hint comes back when it goes on" poll has_window "$pid" "$hint"
press Caps_Lock
password_starts

shared_cases $'\n' '../touch.sh started'

report_and_exit
