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
