# Helpers for end-to-end tests that drive PASS in a real X server, the way a
# user drives it. Every wait is bounded; everything started here is stopped
# at exit. A test sources this file with the folder for its screenshots (by
# default the scratch folder),
#   source e2e_lib.sh [SCREENSHOT_DIR]
# starts a session (start_x_session, or start_wine_session for the Windows
# build), names what launch starts (use_program COMMAND...), then runs its
# cases. The state the helpers share, all set by the helpers themselves:
#   work           a scratch folder, gone at exit
#   current_case   the case's name; dir, its own folder under $work
#   pid, window    the process launch started, and its PASS window
#   exit_status    how expect_exit found the process ended
# and $work/touch.sh stands in for the protected program on Linux (cases name
# it ../touch.sh): it leaves the file its argument names, which holds the
# environment it was started with.

source "$(dirname "${BASH_SOURCE[0]}")/../../tools/x_session.sh"

current_case=set-up
passed=0
failed=0
work=$(mktemp -d)
trap 'stop_everything; rm -rf "$work"' EXIT
screenshots=${1:-$work}
mkdir -p "$screenshots"
printf '#!/bin/sh\nenv > "$1.part" && mv "$1.part" "$1"\n' > "$work/touch.sh"
chmod 755 "$work" "$work/touch.sh"

# How this session tells PASS windows apart: by process (X11) or, under
# Wine, where the window's process is not the one started, by title alone.
window_pid_known=yes
# How many pixels the frame may be off the centre, beyond the half pixel an
# odd size leaves.
centring_slack=0

# use_program COMMAND...: what launch starts.
use_program() { program=("$@"); }

# The Windows build: Wine's loader from MIRUTOKA_WINE (the one that matches
# the build's word size), on a Japanese system, in this X session. Under Wine
# the window's process is not the one started, and the X side of PASS says
# nothing of the Windows focus, so pass_state.exe (MIRUTOKA_PASS_STATE) asks
# Windows itself.
start_wine_session() {
  wine=${MIRUTOKA_WINE:?the Wine loader to use}
  pass_state=${MIRUTOKA_PASS_STATE:?pass_state.exe}
  window_pid_known=no
  # The program centres its Windows frame; the frame the window manager
  # draws stands in for it, and Wine 10 places that one up to 3 pixels off.
  centring_slack=3
  trap 'stop_everything; wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
  start_x_session
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  # One wineserver for the whole run, on this display: one that lingers from
  # earlier tests would keep its desktop elsewhere, and one that shuts down
  # between two cases can swallow the next start.
  wineserver -k 2>/dev/null
  wineserver -p
  # The first program of a Wine session also starts its services and
  # desktop; that start goes first, bounded, and not in a case's time.
  timeout 60 "$wine" cmd /c exit >/dev/null 2>&1
}

# What Windows says of PASS (see pass_state.cpp), or nothing without a PASS.
windows_pass_state() { timeout 20 "$wine" "$pass_state" 2>/dev/null; }
# The X server sends keys to PASS's window, Windows has PASS active and the
# caret is in Text1: keys typed now reach the field.
field_has_the_focus() {
  [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$window" ] && windows_pass_state | grep -q 'active=1 focus=Edit '
}

# Prints the id of the viewable window of process $1 whose title is exactly
# $2. Under Wine the window's process is not the one we started,
# so there the title alone decides. (xdotool's own search now and then
# misses a window that is there, so the tree is read directly.)
find_window() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null | grep -F "\"$2\": (" | awk '{print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
    if [ "$window_pid_known" = yes ]; then
      xprop -id "$id" _NET_WM_PID 2>/dev/null | grep -q "= $1\$" || continue
    fi
    printf '%d' "$id"
    return
  done
}

has_window() { [ -n "$(find_window "$1" "$2")" ]; }
no_window_titled() { ! has_window any "$1"; }
# Wine starts a program in a new process of its own: none of the last case's
# may be left, nor the console window a console program brought with it,
# which would take the foreground from the next PASS.
no_windows_program_running() { ! pgrep -f '^[^ ]*(mirutoka|touch_marker|conhost|cmd)\.exe' >/dev/null; }

wait_for_window() {
  local window=""
  poll has_window "$1" "$2" && window=$(find_window "$1" "$2")
  printf '%s' "$window"
}

# Waits for `pid` to end and sets exit_status to its status, or to "running"
# after the limit. Only this shell can wait for its child, not a $(...) subshell.
wait_for_exit() {
  if poll process_ended "$1"; then
    exit_status=0
    wait "$1" || exit_status=$?
  else
    echo "e2e: $current_case: still running after ${wait_limit}s: $(ps -o pid=,stat=,args= -p "$1")" >&2
    { grep -E 'State|Tgid|PPid|Threads' "/proc/$1/status"; ls "/proc/$1/task"; for t in /proc/$1/task/*; do echo "$t $(cat $t/wchan) $(cat $t/comm)"; done; ls -l /proc/$1/fd; } >&2 2>/dev/null
    kill -9 "$1" 2>/dev/null || true
    exit_status=running
  fi
}

process_ended() { ! kill -0 "$1" 2>/dev/null || [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" = Z ]; }

wait_for_file() { poll test -e "$1"; }

screenshot() { import -window root "$1" 2>/dev/null || true; }

# check DESCRIPTION COMMAND...: one assertion, counted.
check() {
  local description=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $current_case: $description" >&2
    # What was on the screen, running and written, for whoever reads the log later.
    local evidence="$screenshots/failed-$current_case-$failed"
    screenshot "$evidence.png"
    { ps -eLo pid,lwp,ppid,stat,wchan:32,args; xwininfo -root -tree; ls -la "${dir:-.}"; cat "${dir:-.}"/std*; } \
      > "$evidence.txt" 2>&1
  fi
}

report_and_exit() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && exit 0
  exit 1
}

title='ミルトカ'
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# PASS as designed, in pixels at the tests' 96 dpi: client_width and
# client_height, and the centres of Text1 and Command1 (text1_x, ok_y, ...),
# as the build wrote them out of the description the front ends lay out by.
source "${MIRUTOKA_GEOMETRY:?the geometry file the build writes}"

new_case() {
  current_case=$1
  dir="$work/$1"
  mkdir -p "$dir"
}

# Writes $1 as it is (escapes belong in the caller's $'...'), or in CP932 with -932.
password_file() {
  if [ "$1" = -932 ]; then
    printf '%s' "$2" | iconv -f UTF-8 -t CP932 > "$dir/PASSWORD.INI"
  else
    printf '%s' "$1" > "$dir/PASSWORD.INI"
  fi
}

# start_program [ARGUMENT...]: the program, in the case's folder, in the
# background; its output goes to files there.
start_program() {
  (cd "$dir" && exec "${program[@]}" "$@") >"$dir/stdout" 2>"$dir/stderr" &
  pid=$!
  started_pids+=("$pid")
}

# launch [ARGUMENT...]: starts the program and waits for PASS to be active
# with the caret in its field.
launch() {
  # Where windows are told apart by title alone (Wine), the last case's
  # window must be gone first, or it would be taken for this one.
  if [ "$window_pid_known" = no ]; then
    poll no_window_titled "$title"
    poll no_windows_program_running
  fi
  start_program "$@"
  window=$(wait_for_window "$pid" "$title")
  check "the window appears" test -n "$window"
  poll is_active "$window"
  if [ "$window_pid_known" = no ]; then
    check "the caret is in the field" poll field_has_the_focus
  fi
}

is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
type_text() { xdotool type --delay 40 -- "$1"; }

press() { xdotool key --delay 40 "$@"; }
no_box() { ! has_window "$pid" "$1"; }
click_ok() { xdotool mousemove --window "$window" "$ok_x" "$ok_y" click 1; }

# Waits for the box titled $1, checks PASS is still there behind it, dismisses it.
expect_box() {
  local box
  box=$(wait_for_window "$pid" "$1")
  check "box '$1' appears" test -n "$box"
  check "PASS stays loaded while the box is up" has_window "$pid" "$title"
  screenshot "$screenshots/$current_case.png"
  [ -n "$box" ] && poll is_active "$box" && press Return
}

expect_exit() {
  wait_for_exit "$pid"
  check "exits with status $1 (not $exit_status)" test "$exit_status" = "$1"
}
started() { check "the program starts" wait_for_file "$dir/$1"; }
nothing_started() { check "nothing is started" test -z "$(ls "$dir" | grep -v -e '^PASSWORD.INI$' -e '^std')"; }

# With no window to ask about, xwininfo and xprop would wait for a click on one.
window_info() { [ -n "$window" ] && xwininfo -id "$window"; }
window_property() { [ -n "$window" ] && xprop -id "$window" "$@"; }

frame_is_centred() {
  local geometry extents left right top bottom x y
  geometry=$(window_info)
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$geometry")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$geometry")
  extents=$(window_property _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  read -r left right top bottom <<<"$extents"
  is_centred $((x - left)) $((y - top)) $((client_width + left + right)) $((client_height + top + bottom)) \
    $((2 * centring_slack + 1))
}

# maps PID PATTERN: a file whose path matches PATTERN is mapped into process PID;
# opengl_stack, what Qt's Wayland client loads to draw a frame of its own.
maps() { grep -qE "$2" "/proc/$1/maps"; }
maps_none() { ! maps "$@"; }
opengl_stack='libEGL_mesa|libgbm|_dri\.so|libLLVM|libQt6OpenGL|wayland-egl'
# The started program got this script's environment (touch.sh wrote it to $1).
without_shell_variables() { grep -vE '^(PWD|OLDPWD|SHLVL|_)=' | sort; }
same_environment() { diff <(env | without_shell_variables) <(without_shell_variables <"$1") >&2; }

client_size_is() { window_info | grep -q "Width: $1" && window_info | grep -q "Height: $2"; }
skips_taskbar() { window_property _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR; }
not_resizable() {
  local size="$client_width by $client_height"
  window_property WM_NORMAL_HINTS | grep -q "minimum size: $size" && window_property WM_NORMAL_HINTS | grep -q "maximum size: $size"
}
# Motif functions without "all" (1), minimize (8) or maximize (16).
no_minimize_or_maximize() {
  local functions
  functions=$(window_property _MOTIF_WM_HINTS | sed 's/.*= //' | cut -d, -f2)
  [ $((functions & 25)) -eq 0 ]
}

check_window_shape() {
  check "client area is $client_width x $client_height" client_size_is "$client_width" "$client_height"
  check "frame is centred on the screen" poll frame_is_centred
  check "window is kept off the taskbar" skips_taskbar
  check "window cannot be resized" not_resizable
  check "window has no minimize or maximize function" no_minimize_or_maximize
  screenshot "$screenshots/window.png"
}

# password_starts [PASSWORD [MARKER]]: types PASSWORD (himitsu, the cases'
# own, by default) and Return, as $typer types (type_and_return unless the
# session types otherwise), and expects the case's program to leave MARKER
# (started) and PASS to exit cleanly.
type_and_return() { type_text "$1"; press Return; }
password_starts() {
  "${typer:-type_and_return}" "${1:-himitsu}"
  started "${2:-started}"
  expect_exit 0
}
right_password_starts() {
  launch "$@"
  password_starts
}

# shared_cases EOL PROTECTED: the cases both builds share, for a build whose
# files end their lines with EOL and where the command line PROTECTED leaves
# the file "started" in the working folder.
shared_cases() {
  local eol=$1 protected=$2
  new_case wrong_password_shows_mismatch
  password_file "himitsu${eol}${protected}${eol}"
  launch
  type_text 'himitsu '
  press Return
  expect_box 'パスワード不一致'
  expect_exit 0
  nothing_started

  new_case ok_button_click_without_file_shows_missing_file
  launch
  type_text himitsu
  click_ok
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
  password_file "himitsu,no-such-program.exe${eol}"
  launch
  type_text himitsu
  press Return
  expect_box '実行時エラー'
  expect_exit 1
  check "the report gives the number" grep -q "実行時エラー '53'" "$dir/stderr"
  check "the report names the program" grep -q "no-such-program" "$dir/stderr"
  nothing_started

  # What is typed after Esc still goes to the field: Esc closed nothing.
  new_case escape_does_nothing
  password_file "himitsu${eol}${protected}${eol}"
  launch
  type_text himitsu
  press Escape
  type_text x
  press Return
  expect_box 'パスワード不一致'
  expect_exit 0
  nothing_started

  new_case close_box_reads_nothing
  password_file "himitsu${eol}${protected}${eol}"
  launch
  type_text himitsu
  press alt+F4
  expect_exit 0
  nothing_started
}
