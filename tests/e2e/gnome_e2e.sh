#!/usr/bin/env bash
# The Linux build under GNOME's compositor, a headless mutter: as an X11
# window through its XWayland, which stands in for a GNOME on Xorg session
# (mutter decides for itself whether a window skips the taskbar and writes its
# decision back into _NET_WM_STATE, so this is where that is seen), and as
# the native Wayland window a GNOME Wayland session gets, which mutter
# places as it says in its placement log: nothing else tells where a
# Wayland window went, and no tool here types into one.
# Usage: gnome_e2e.sh MIRUTOKA SCREENSHOT_DIR
set -uo pipefail
source "$(dirname "$0")/nested_session.sh"
if [ -z "${MIRUTOKA_IN_MUTTER:-}" ]; then
  # mutter runs this script again as its client and ends with it; what the
  # inner run says and how it ended come back through files.
  new_session
  run_nested gnome_e2e MIRUTOKA_IN_MUTTER MUTTER_VERBOSE=1 MUTTER_DEBUG=placement \
    mutter --wayland --headless --virtual-monitor 1024x768 -- bash "$0" "$@"
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
check "the window is an X11 one, through XWayland" test -n "$window"
check "mutter keeps it off the taskbar" poll skips_taskbar
check "frame is centred on the screen" poll frame_is_centred
password_starts

# A normal window would go to the first free place from the top left; PASS
# asks to be a modal dialog, which mutter centres.
mutter_centred_a_wayland_window() { grep -q 'PLACEMENT: Centered window W[0-9]* on monitor' "$session/compositor.log"; }
new_case gnome_centres_the_native_window
password_file $'himitsu\n../touch.sh started\n'
WAYLAND_DISPLAY=$wayland_display start_program
check "mutter centres the Wayland window" poll mutter_centred_a_wayland_window
kill "$pid"
wait_for_exit "$pid"

report_and_exit
