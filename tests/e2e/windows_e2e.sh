#!/usr/bin/env bash
# The Windows build under Wine in Xvfb with openbox, on a Japanese system.
# Usage: windows_e2e.sh MIRUTOKA_EXE TOUCH_MARKER_EXE SCREENSHOT_DIR
# (MIRUTOKA_WINE, WINEPREFIX and the other Wine settings come from the environment.)
set -uo pipefail
touch_marker=$(realpath "$2")
source "$(dirname "$0")/e2e_lib.sh" "$3"
start_wine_session
exe=$(realpath "$1")
use_program "$wine" "$exe"

# touch_marker.exe stands in for the protected program: it leaves the file its argument names.
mkdir -p "$work/My Game"
cp "$touch_marker" "$work/My Game/touch_marker.exe"

new_case right_password_starts_the_program
password_file $'himitsu\r\n..\\My Game\\touch_marker.exe started\r\n'
launch
check_window_shape
password_starts

# xdotool cannot type Japanese into Wine's edit control here, so Japanese
# text travels in the command line: a program in a folder with a Japanese
# name starts, and the marker's name proves the decoding. (The file's other
# encodings are the unit tests', which read a Japanese field in each.)
mkdir -p "$work/ゲーム"
cp "$touch_marker" "$work/ゲーム/touch_marker.exe"
new_case japanese_command_line_in_cp932
password_file -932 $'himitsu\r\n..\\ゲーム\\touch_marker.exe 開始\r\n'
launch
password_starts himitsu '開始'

# A shortcut set to maximized or minimized, or `start /max`, asks the first
# window for that show state: PASS shows as designed all the same.
for show in max min; do
  new_case "start_${show}_shows_the_designed_window"
  password_file $'himitsu\r\n..\\My Game\\touch_marker.exe started\r\n'
  use_program "$wine" start /wait "/$show" /d "$("$wine" winepath -w "$dir" 2>/dev/null)" /unix "$exe"
  launch
  check "PASS is shown, neither maximized nor minimized, at the designed size" \
    grep -q "visible=1 zoomed=0 iconic=0 active=1 focus=Edit client=${client_width}x${client_height}\$" \
    <(windows_pass_state)
  password_starts
done
use_program "$wine" "$exe"

# Windows hands a batch file to cmd.exe, which then reads the whole command
# line: the protected program may be one all the same, as older files rely on.
new_case batch_file_runs_through_cmd
printf '@echo off\r\ntype nul > "%%~1"\r\n' > "$dir/game.cmd"
password_file $'himitsu\r\ngame.cmd started & game.cmd %OS%\r\n'
right_password_starts
check "cmd.exe reads & and %...% in it" wait_for_file "$dir/Windows_NT"

shared_cases $'\r\n' '..\My Game\touch_marker.exe started'

report_and_exit
