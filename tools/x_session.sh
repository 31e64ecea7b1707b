# A private X server, with a window manager unless told otherwise, for the
# scripts that drive windows: the end-to-end tests and the bench. Every wait
# is bounded; what start_x_session starts is stopped by stop_everything.

wait_limit=${E2E_WAIT_SECONDS:-30}
started_pids=()

stop_everything() {
  local pid
  for pid in "${started_pids[@]}"; do
    { kill "$pid" && wait "$pid"; } 2>/dev/null || true
  done
}

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing; run ./dev test to install it" >&2; exit 1; }
  done
}

# Polls `command...` every 0.1 s until it succeeds or the limit passes.
poll() {
  local deadline=$((SECONDS + wait_limit))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# start_x_session [no-window-manager]: Xvfb takes a free display number
# itself and tells it, so sessions started side by side never share one.
start_x_session() {
  require_tools Xvfb openbox xdotool xprop xwininfo xmodmap import
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  started_pids+=($!)
  poll test -s "$number_file" || { echo "x_session: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n 1 "$number_file")"
  rm -f "$number_file"
  poll xprop -root >/dev/null 2>&1 || { echo "x_session: Xvfb did not start" >&2; exit 1; }
  [ "${1:-}" = no-window-manager ] && return
  openbox --sm-disable >/dev/null 2>&1 &
  started_pids+=($!)
  poll window_manager_running || { echo "x_session: openbox did not start" >&2; exit 1; }
}

window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# start_session_bus FOLDER: a session bus of the run's own, its socket in
# FOLDER, that programs of any user may use and on which every message may be
# watched; it starts no services: what a test needs, the test starts.
start_session_bus() {
  cat > "$1/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$1/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$1/bus"
  dbus-daemon --config-file="$1/bus.conf" --nofork >/dev/null 2>&1 &
  started_pids+=($!)
  poll test -S "$1/bus" || { echo "$0: the session bus did not start" >&2; exit 1; }
  chmod 666 "$1/bus"
}

# "${as_nobody[@]}" [VARIABLE=VALUE...] COMMAND...: for programs that refuse
# root (sway, Mozc), in an environment of nothing but PATH and those
# variables. An array, not a function: started with &, $! is the program's
# own pid (setpriv and env exec it), which stop_everything can end.
nobody=65534
as_nobody=(setpriv --reuid=$nobody --regid=$nobody --clear-groups env -i PATH=/usr/bin:/bin)

# is_centred LEFT TOP WIDTH HEIGHT [LIMIT]: whether that rectangle is centred
# on the 1024 x 768 screen, LIMIT (in half pixels, 1 by default: what an odd
# size leaves) the most it may be off.
is_centred() {
  local dx=$((2 * $1 + $3 - 1024)) dy=$((2 * $2 + $4 - 768)) limit=${5:-1}
  [ "${dx#-}" -le "$limit" ] && [ "${dy#-}" -le "$limit" ]
}

# Binds each character of $1 to a spare keycode before the program starts.
# xdotool would otherwise remap a key for every such character while typing,
# and a program that reads the key after the remap is undone sees another one.
map_keys() {
  local text=$1 keycode=200 i
  for ((i = 0; i < ${#text}; i++)); do
    xmodmap -e "keycode $keycode = $(printf 'U%04X' "'${text:i:1}")"
    keycode=$((keycode + 1))
  done
}
