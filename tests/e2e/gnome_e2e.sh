#!/usr/bin/env bash
# The Linux build as an X11 window under GNOME's window manager: a headless
# mutter, whose XWayland stands in for a GNOME on Xorg session (on a Wayland
# session the window is a native one). mutter decides for itself whether a
# window skips the taskbar and writes its decision back into _NET_WM_STATE,
# so this is where that is seen.
# Usage: gnome_e2e.sh MIRUTOKA SCREENSHOT_DIR
set -uo pipefail
if [ -z "${MIRUTOKA_IN_MUTTER:-}" ]; then
  # mutter runs this script again as its client and ends with it; what the
  # inner run says and how it ended come back through files.
  session=$(mktemp -d)
  chmod 700 "$session"
  XDG_RUNTIME_DIR=$session MIRUTOKA_IN_MUTTER=$session timeout 240 dbus-run-session -- \
    mutter --wayland --headless --virtual-monitor 1024x768 -- bash "$0" "$@" >"$session/mutter.log" 2>&1
  cat "$session/inner.log" 2>/dev/null || { echo "gnome_e2e: mutter did not run the tests:" >&2; cat "$session/mutter.log" >&2; }
  status=$(cat "$session/status" 2>/dev/null || echo 1)
  rm -rf "$session"
  exit "$status"
fi

session=$MIRUTOKA_IN_MUTTER
exec >"$session/inner.log" 2>&1
trap 'echo $? > "$session/status"' EXIT
source "$(dirname "$0")/e2e_lib.sh" "$2"
use_program "$(realpath "$1")"
trap 'status=$?; stop_everything; rm -rf "$work"; echo "$status" > "$session/status"' EXIT
require_tools xdotool xprop xwininfo
poll window_manager_running || { echo "e2e: mutter's XWayland did not start" >&2; exit 1; }
unset WAYLAND_DISPLAY

new_case gnome_keeps_the_window_off_the_taskbar_and_centred
password_file $'himitsu\n../touch.sh started\n'
launch
check "the window is an X11 one, through XWayland" test -n "$window"
check "mutter keeps it off the taskbar" poll skips_taskbar
check "frame is centred on the screen" poll frame_is_centred
type_text himitsu
press Return
started started
expect_exit 0

report_and_exit
