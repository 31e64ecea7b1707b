#!/usr/bin/env bash
# The Windows build under Wine in Xvfb with openbox, on a Japanese system.
# Usage: windows_e2e.sh MIRUTOKA_EXE TOUCH_MARKER_EXE SCREENSHOT_DIR
# (MIRUTOKA_WINE, WINEPREFIX and the other Wine settings come from the environment.)
set -uo pipefail
touch_marker=$(realpath "$2")
source "$(dirname "$0")/e2e_lib.sh" "$3"
run_once_more_after_wine_hang "$0" "$@"
start_wine_session
use_program "$wine" "$(realpath "$1")"

# touch_marker.exe stands in for the protected program: it leaves the file its argument names.
mkdir -p "$work/My Game"
cp "$touch_marker" "$work/My Game/touch_marker.exe"
game_folder=$("$wine" winepath -w "$work/My Game" 2>/dev/null)

new_case right_password_starts_the_program
password_file $'himitsu\r\n..\\My Game\\touch_marker.exe started\r\n'
launch
check_window_shape
type_text himitsu
press Return
started started
expect_exit 0

new_case unquoted_program_path_with_blanks
password_file "himitsu"$'\r\n'"$game_folder\\touch_marker.exe started"$'\r\n'
right_password_starts

# xdotool cannot type Japanese into Wine's edit control here, so Japanese
# text travels in the command line: a program in a folder with a Japanese
# name starts, and the marker's name proves the decoding.
mkdir -p "$work/ゲーム"
cp "$touch_marker" "$work/ゲーム/touch_marker.exe"
japanese_file=$'himitsu\r\n..\\ゲーム\\touch_marker.exe 開始\r\n'
for encoding in cp932 utf8_without_bom utf8_with_bom; do
  new_case "japanese_command_line_in_$encoding"
  case $encoding in
    cp932) password_file -932 "$japanese_file" ;;
    utf8_without_bom) password_file "$japanese_file" ;;
    utf8_with_bom) password_file $'\xef\xbb\xbf'"$japanese_file" ;;
  esac
  launch
  type_text himitsu
  press Return
  started '開始'
  expect_exit 0
done

shared_cases $'\r\n' '..\My Game\touch_marker.exe started'

report_and_exit
