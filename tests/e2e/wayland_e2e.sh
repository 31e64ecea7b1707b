#!/usr/bin/env bash
# The Linux build on a Wayland desktop: a headless sway, once with XWayland
# and once without; either way the window is a native one, so that no X11
# client of the session hears its keys.
# Usage: wayland_e2e.sh MIRUTOKA SCREENSHOT_DIR PLAIN_FIELD
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh" "$2"
source "$(dirname "$0")/../../tools/sway_session.sh"
use_program "$(realpath "$1")"
plain_field=$(realpath "$3")
require_tools sway swaymsg wtype grim setpriv python3 xhost xinput
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# Prints "shell x y width height focused outer_x outer_y outer_width
# outer_height" of the window titled $1, as sway sees it: the rectangle of its
# contents, then with sway's title bar and border.
sway_window() {
  swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(node):
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        if child.get("name") == sys.argv[1]:
            r, w = child["rect"], child["window_rect"]
            print(child.get("shell"), r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"], child.get("focused"),
                  r["x"], r["y"], r["width"], r["height"])
            sys.exit()
        walk(child)
walk(json.load(sys.stdin))' "$1"
}
has_sway_window() { [ -n "$(sway_window "$1")" ]; }
has_focus() { [ "$(sway_window "$1" | cut -d' ' -f6)" = True ]; }

wayland_launch() {
  start_program
  check "the window appears" poll has_sway_window "$title"
  window_shell=$(sway_window "$title" | cut -d' ' -f1)
}

# wtype loses the first key after it connects without a pause.
wayland_type() { wtype -s 300 -d 30 "$1" -s 300 -k Return; }
typer=wayland_type

wayland_expect_box() {
  check "box '$1' appears" poll has_sway_window "$1"
  check "PASS stays loaded while the box is up" has_sway_window "$title"
  grim "$screenshots/$current_case.png" 2>/dev/null
  swaymsg "[title=\"$1\"] kill" >/dev/null
}

# Whether the Caps Lock hint shows: tooltip yellow in the rows below Text1,
# where the hint opens over PASS's lower edge. sway lists no popups, so the
# screen is asked; the compositor may make PASS taller than designed (sway
# 1.10 floats nothing under 50 pixels), so the rows count from the field.
hint_below_window() {
  local shell x y width height rest
  read -r shell x y width height rest <<<"$(sway_window "$title")"
  [ "$(grim -t ppm -g "$x,$((y + text1_y + 12)) ${width}x12" - 2>/dev/null |
    convert - -fx 'r > 0.94 && g > 0.94 && b < 0.92' -format '%[fx:int(mean * w * h)]' info:)" -gt 100 ]
}
no_hint_below_window() { ! hint_below_window; }

# sway centres a floating window, reckoning it at least 50 pixels high (its
# floating_minimum_height), so PASS sits just above the middle.
centred_on_screen() {
  local shell x y width height focused outer_x outer_y outer_width outer_height
  read -r shell x y width height focused outer_x outer_y outer_width outer_height <<<"$(sway_window "$title")"
  is_centred "$outer_x" "$outer_y" "$outer_width" $((outer_height > 50 ? outer_height : 50)) 2
}


raw_key_presses() { grep -c '(RawKeyPress)' "$work/raw-keys" 2>/dev/null || echo 0; }
raw_key_presses_reach() { [ "$(raw_key_presses)" -ge "$1" ]; }

# An X11 client that listens to every key XWayland gets, as any program of
# the session may; the control is an X11 field it hears.
start_sway "$work" force
new_case with_xwayland_no_x11_client_hears_the_keys
password_file $'himitsu\n../touch.sh started\n'
xinput test-xi2 --root > "$work/raw-keys" 2>&1 &
started_pids+=($!)
QT_QPA_PLATFORM=xcb "$plain_field" > "$work/plain-field" 2>/dev/null &
started_pids+=($!)
poll has_focus "plain field"
wtype -s 300 -d 30 abc -s 300 -k Return
check "the listener hears the X11 field's keys (the control)" poll raw_key_presses_reach 4
heard_before=$(raw_key_presses)
wayland_launch
check "the window is a native one ($window_shell)" test "$window_shell" = xdg_shell
check "the window is centred ($(sway_window "$title"))" poll centred_on_screen
grim "$screenshots/wayland-with-xwayland.png" 2>/dev/null
poll has_focus "$title"
password_starts
check "the listener hears none of PASS's keys ($(($(raw_key_presses) - heard_before)))" \
  test "$(raw_key_presses)" -eq "$heard_before"
stop_sway

start_sway "$work" disable
new_case native_wayland_right_password_starts_the_program
password_file $'himitsu\n../touch.sh started\n'
"$plain_field" >/dev/null 2>&1 &
plain_pid=$!
started_pids+=("$plain_pid")
check "a plain Qt window maps the OpenGL stack (the control)" poll maps "$plain_pid" "$opengl_stack"
kill "$plain_pid"
wayland_launch
check "no OpenGL stack is mapped" maps_none "$pid" "$opengl_stack"
grim "$screenshots/wayland-native.png" 2>/dev/null
password_starts

# The seat has no keyboard until wtype's arrives, already locked: the state
# comes with no key, as it does when PASS opens with Caps Lock on.
new_case native_wayland_caps_lock_hint_without_a_key
password_file $'himitsu\n../touch.sh started\n'
wayland_launch
wtype -s 300 -M capslock -s 2000 -m capslock -s 4000 &
keyboard_pid=$!
check "the hint shows while Caps Lock is on" poll hint_below_window
grim "$screenshots/wayland-caps-lock-hint.png" 2>/dev/null
check "the hint goes when Caps Lock goes off" poll no_hint_below_window
check "... while the keyboard is still there" kill -0 "$keyboard_pid"
wait "$keyboard_pid"
password_starts

new_case native_wayland_wrong_password_shows_mismatch
password_file $'himitsu\n../touch.sh started\n'
wayland_launch
wayland_type 'himitsu '
wayland_expect_box 'パスワード不一致'
expect_exit 0
nothing_started

stop_sway

report_and_exit
