#!/usr/bin/env bash
# The Linux build under GNOME's compositor, mutter, nested in an X server that
# can be photographed and clicked: as an X11 window through its XWayland, for
# GNOME on Xorg (mutter writes its taskbar decision into _NET_WM_STATE), and
# as the native window of a GNOME Wayland session, which draws its own frame.
# Usage: gnome_e2e.sh MIRUTOKA SCREENSHOT_DIR
set -uo pipefail
source "$(dirname "$0")/nested_session.sh"
if [ -z "${MIRUTOKA_IN_MUTTER:-}" ]; then
  # mutter runs this script again as its client and ends with it; what the
  # inner run says and how it ended come back through files.
  new_session
  start_x_session no-window-manager
  run_nested gnome_e2e MIRUTOKA_IN_MUTTER MIRUTOKA_OUTER_DISPLAY="$DISPLAY" MUTTER_DEBUG_DUMMY_MODE_SPECS=1024x768 \
    MUTTER_VERBOSE=1 MUTTER_DEBUG=placement mutter --nested --wayland -- bash "$0" "$@"
fi

start_inner_run "$MIRUTOKA_IN_MUTTER"
source "$(dirname "$0")/e2e_lib.sh" "$2"
use_program "$(realpath "$1")"
keep_status_after_cleanup
require_tools xdotool xprop xwininfo
poll window_manager_running || { echo "e2e: mutter's XWayland did not start" >&2; exit 1; }
wayland_display=$WAYLAND_DISPLAY
unset WAYLAND_DISPLAY

new_case gnome_keeps_the_window_off_the_taskbar_and_centred
password_file $'himitsu\n../touch.sh started\n'
launch
check "mutter keeps it off the taskbar" poll skips_taskbar
check "frame is centred on the screen" poll frame_is_centred
password_starts

# PASS asks to be a modal dialog, which mutter centres; a normal window goes to the top left.
mutter_centred_a_wayland_window() { grep -q 'PLACEMENT: Centered window W[0-9]* on monitor' "$session/compositor.log"; }
on_screen() { DISPLAY=$MIRUTOKA_OUTER_DISPLAY "$@"; }  # the X server mutter is nested in
frame_left=$(((1024 - client_width - 6) / 2)) frame_top=$(((768 - client_height - 33) / 2))
# colours_in X Y W H: the colours shown there (from the frame's top left); 1 if light as the frame is.
colours_in() {
  on_screen import -window root png:- 2>/dev/null |
    convert - -crop "$3x$4+$((frame_left + $1))+$((frame_top + $2))" +repage -format '%k %[fx:mean>0.8]' info:
}
shows_in() { [ "$(colours_in "$@" | cut -d' ' -f1)" -gt 1 ]; }
blank_frame_in() { [ "$(colours_in "$@")" = "1 1" ]; }
new_case gnome_native_window_draws_its_frame_with_a_close_box_only
password_file $'himitsu\n../touch.sh started\n'
WAYLAND_DISPLAY=$wayland_display start_program
check "mutter centres the Wayland window" poll mutter_centred_a_wayland_window
check "the frame shows" poll blank_frame_in 36 2 60 26
check "the frame shows the icon" shows_in 8 4 22 22
check "the frame shows the close box" shows_in $((client_width - 20)) 6 18 18
check "the frame shows the title" shows_in $((client_width / 2 - 17)) 6 40 18
check "no minimize or maximize button shows" blank_frame_in $((client_width - 70)) 2 48 26
check "no OpenGL stack is mapped" maps_none "$pid" "$opengl_stack"
on_screen xdotool mousemove $((frame_left + client_width - 11)) $((frame_top + 15)) click 1
expect_exit 0
nothing_started

report_and_exit
