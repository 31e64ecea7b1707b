#!/usr/bin/env bash
# The real mirutoka in a real X server with a window manager, driven the way
# a user drives it. Usage: linux_e2e.sh MIRUTOKA SCREENSHOT_DIR
set -uo pipefail
binary=$(realpath "$1")
screenshots=$2
mkdir -p "$screenshots"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
source "$(dirname "$0")/x_session.sh"
work=$(mktemp -d)
trap 'stop_everything; rm -rf "$work"' EXIT
start_x_session

title='ミルトカ'

new_case() {
  current_case=$1
  dir="$work/$1"
  mkdir -p "$dir"
  printf '#!/bin/sh\n: > "$1"\n' > "$dir/touch.sh"
  chmod +x "$dir/touch.sh"
}

password_file() { printf "$1" > "$dir/PASSWORD.INI"; }

launch() {
  (cd "$dir" && exec "$binary" "$@") >"$dir/stdout" 2>"$dir/stderr" &
  pid=$!
  started_pids+=("$pid")
  window=$(wait_for_window "$pid" "$title")
  check "the window appears" test -n "$window"
  poll is_active "$window"
}

is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
type_text() { xdotool type --delay 40 -- "$1"; }
press() { xdotool key --delay 40 "$@"; }
no_box() { ! has_window "$pid" "$1"; }

# Shows the box titled $1, checks PASS is still there behind it, dismisses it.
expect_box() {
  local box
  box=$(wait_for_window "$pid" "$1")
  check "box '$1' appears" test -n "$box"
  check "PASS stays loaded while the box is up" has_window "$pid" "$title"
  screenshot "$screenshots/$current_case.png"
  [ -n "$box" ] && poll is_active "$box" && press Return
}

expect_exit() { check "exits with status $1" test "$(wait_for_exit "$pid")" = "$1"; }
nothing_started() { check "nothing is started" test -z "$(ls "$dir" | grep -v -e '^touch.sh$' -e '^PASSWORD.INI$' -e '^std')"; }

frame_is_centred() {
  local geometry extents left right top bottom x y
  geometry=$(xwininfo -id "$window")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$geometry")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$geometry")
  extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  read -r left right top bottom <<<"$extents"
  local frame_width=$((330 + left + right)) frame_height=$((39 + top + bottom))
  local dx=$((2 * (x - left) + frame_width - 1024)) dy=$((2 * (y - top) + frame_height - 768))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
}

client_size_is() { xwininfo -id "$window" | grep -q "Width: $1" && xwininfo -id "$window" | grep -q "Height: $2"; }
skips_taskbar() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR; }
not_resizable() { xprop -id "$window" WM_NORMAL_HINTS | grep -q 'minimum size: 330 by 39' && xprop -id "$window" WM_NORMAL_HINTS | grep -q 'maximum size: 330 by 39'; }
# Motif functions without minimize (8) and maximize (16).
no_minimize_or_maximize() {
  local functions
  functions=$(xprop -id "$window" _MOTIF_WM_HINTS | sed 's/.*= //' | cut -d, -f2)
  [ $((functions & 24)) -eq 0 ] && [ $((functions & 1)) -eq 0 ]
}

new_case right_password_starts_the_program
password_file 'himitsu\n./touch.sh "started here"\n'
launch --unexpected -platform offscreen
check "client area is 330 x 39" client_size_is 330 39
check "frame is centred on the screen" frame_is_centred
check "window is kept off the taskbar" skips_taskbar
check "window cannot be resized" not_resizable
check "window has no minimize or maximize function" no_minimize_or_maximize
screenshot "$screenshots/window.png"
type_text himitsu
press Return
check "the program starts" wait_for_file "$dir/started here"
expect_exit 0

new_case japanese_password_in_a_cp932_file
password_file '\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68\r\n./touch.sh started\r\n'
launch
type_text 'パスワード'
press Return
check "the program starts" wait_for_file "$dir/started"
expect_exit 0

new_case wrong_password_shows_mismatch
password_file 'himitsu\n./touch.sh started\n'
launch
type_text Himitsu
press Return
expect_box 'パスワード不一致'
expect_exit 0
nothing_started

new_case ok_button_click_without_file_shows_missing_file
launch
type_text himitsu
xdotool mousemove --window "$window" 294 18 click 1
expect_box 'エラー'
expect_exit 0

new_case empty_file_shows_the_error_report
password_file ''
launch
press Return
expect_box '実行時エラー'
expect_exit 1
check "the report goes to standard error" grep -q "実行時エラー '62'" "$dir/stderr"
check "no message box of the gate" no_box 'エラー'
nothing_started

new_case missing_program_shows_the_error_report
password_file 'himitsu,./no-such-program\n'
launch
type_text himitsu
press Return
expect_box '実行時エラー'
expect_exit 1
check "the report gives the number" grep -q "実行時エラー '53'" "$dir/stderr"
check "the report names the program" grep -q "no-such-program" "$dir/stderr"
nothing_started

new_case escape_does_nothing_and_close_box_reads_nothing
password_file 'himitsu\n./touch.sh started\n'
launch
type_text himitsu
press Escape
sleep 0.5
check "Esc leaves the window open" has_window "$pid" "$title"
press alt+F4
expect_exit 0
nothing_started

report_and_exit
