# Helpers for end-to-end tests that drive a program in a real X server.
# Source it, call start_x_session, then use the wait_* helpers. Every wait is
# bounded, and everything started here is stopped when the shell exits.

wait_limit=${E2E_WAIT_SECONDS:-15}
started_pids=()
passed=0
failed=0

stop_everything() {
  local pid
  for pid in "${started_pids[@]}"; do
    { kill "$pid" && wait "$pid"; } 2>/dev/null || true
  done
}
trap stop_everything EXIT

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing; run ./dev test to install it" >&2; exit 1; }
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

start_x_session() {
  require_tools Xvfb openbox xdotool xprop xwininfo import
  local number=90
  while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
  export DISPLAY=":$number"
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset >/dev/null 2>&1 &
  started_pids+=($!)
  poll xprop -root >/dev/null 2>&1 || { echo "e2e: Xvfb did not start" >&2; exit 1; }
  openbox --sm-disable >/dev/null 2>&1 &
  started_pids+=($!)
  poll window_manager_running || { echo "e2e: openbox did not start" >&2; exit 1; }
}

window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Prints the id of the visible window of process `pid` whose title is exactly `title`.
find_window() {
  xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -n 1
}

has_window() { [ -n "$(find_window "$1" "$2")" ]; }

wait_for_window() {
  local window=""
  poll has_window "$1" "$2" && window=$(find_window "$1" "$2")
  printf '%s' "$window"
}

# Waits for `pid` to end and prints its exit status, or "running" after the limit.
wait_for_exit() {
  if poll process_ended "$1"; then
    local status=0
    wait "$1" || status=$?
    printf '%s' "$status"
  else
    kill -9 "$1" 2>/dev/null || true
    printf 'running'
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
  fi
}

report_and_exit() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
