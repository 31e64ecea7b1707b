#!/usr/bin/env bash
# Where the keys typed into PASS go while a Japanese input method is on:
# fcitx5 with Mozc in hiragana, which Qt programs reach through fcitx5's own
# plugin (QT_IM_MODULE=fcitx) on the session bus. The bus is a private one
# that starts no services; what goes over it to the input method is read
# off the bus itself. Mozc refuses to run as root, so fcitx5 runs as nobody.
# Usage: input_method_e2e.sh MIRUTOKA PLAIN_FIELD SCREENSHOT_DIR
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh" "$3"
use_program "$(realpath "$1")"
plain_field=$(realpath "$2")
require_tools fcitx5 dbus-daemon dbus-monitor dbus-send setpriv xhost

start_x_session
xhost +si:localuser:nobody >/dev/null
start_session_bus "$work"

# Every call a Qt program makes on its fcitx5 input context.
dbus-monitor --session "type='method_call',interface='org.fcitx.Fcitx.InputContext1'" >"$work/calls" 2>&1 &
started_pids+=($!)
calls_of() { grep -c "member=$1\$" "$work/calls"; }
has_called() { [ "$(calls_of "$1")" -gt 0 ]; }

# Mozc on in hiragana for every new input context: the one input method of
# the group, active by default.
home="$work/fcitx-home"
mkdir -p "$home/.config/fcitx5"
printf '[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=mozc\n[Groups/0/Items/0]\nName=keyboard-us\n'\
'[Groups/0/Items/1]\nName=mozc\n[GroupOrder]\n0=Default\n' > "$home/.config/fcitx5/profile"
printf '[Behavior]\nActiveByDefault=True\nShareInputState=No\n' > "$home/.config/fcitx5/config"
chown -R "$nobody:$nobody" "$home"
"${as_nobody[@]}" HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home" DISPLAY="$DISPLAY" \
  DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" \
  fcitx5 --disable=all --enable=mozc,dbus,dbusfrontend,xcb,keyboard >"$work/fcitx5.log" 2>&1 &
started_pids+=($!)
fcitx5_on_bus() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.fcitx.Fcitx5 2>/dev/null | grep -q 'boolean true'
}
poll fcitx5_on_bus || { echo "e2e: fcitx5 did not start" >&2; cat "$work/fcitx5.log" >&2; exit 1; }
export QT_IM_MODULE=fcitx

# The control: a plain field of the same toolkit gets kana, so the input
# method is really there and on.
new_case a_plain_field_gets_kana_from_mozc
(cd "$dir" && exec "$plain_field") >"$dir/stdout" 2>"$dir/stderr" &
pid=$!
started_pids+=("$pid")
window=$(wait_for_window "$pid" 'plain field')
poll is_active "$window"
check "the plain field maps fcitx5's plugin (the control)" maps "$pid" /platforminputcontexts/libfcitx5
check "fcitx5 focuses the plain field" poll has_called FocusIn
keys_before=$(calls_of ProcessKeyEvent)
type_text aiu
press Return Return
expect_exit 0
check "the plain field's keys go to fcitx5" test "$(calls_of ProcessKeyEvent)" -gt "$keys_before"
check "Mozc turns a, i, u into あいう (else the input method was not set up)" grep -qx 'あいう' "$dir/stdout"

new_case the_password_field_tells_the_input_method_nothing
password_file $'himitsu\n../touch.sh started\n'
calls_before=$(wc -l <"$work/calls")
launch
check "no input-method plugin is mapped" maps_none "$pid" /platforminputcontexts/
password_starts
check "the program gets the environment mirutoka was given" same_environment "$dir/started"
check "no call, no key and no cursor place, goes to fcitx5's input contexts" test "$(wc -l <"$work/calls")" -eq "$calls_before"

# Mozc's server, which fcitx5 starts on first use, outlives fcitx5.
pkill -U "$nobody" -x mozc_server

report_and_exit
