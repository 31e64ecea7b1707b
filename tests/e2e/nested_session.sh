# For suites that a compositor runs again as its own client or session: the
# outer run starts the compositor, the inner one runs the cases, and what
# the inner run says and how it ended come back through files in SESSION.

source "$(dirname "${BASH_SOURCE[0]}")/../../tools/x_session.sh"

# The outer run's folder, which is the compositor's runtime folder too.
new_session() {
  session=$(mktemp -d)
  chmod 700 "$session"
}

# run_nested SUITE MARK [VARIABLE=VALUE...] COMPOSITOR...: the compositor, on
# a bus of its own, runs this script again with MARK set to the session; then
# its output (or the compositor's log) and status are the outer run's.
run_nested() {
  local suite=$1 mark=$2 status
  shift 2
  start_session_bus "$session"
  timeout 240 env XDG_RUNTIME_DIR="$session" "$mark=$session" "$@" >"$session/compositor.log" 2>&1
  stop_everything
  cat "$session/inner.log" 2>/dev/null ||
    { echo "$suite: the compositor did not run the tests:" >&2; cat "$session/compositor.log" >&2; }
  status=$(cat "$session/status" 2>/dev/null || echo 1)
  rm -rf "$session"
  exit "$status"
}

# The inner run's start, before e2e_lib.sh: output and status go to SESSION.
start_inner_run() {
  session=$1
  exec >"$session/inner.log" 2>&1
  trap 'echo $? > "$session/status"' EXIT
}

# After e2e_lib.sh: everything started is stopped, then the status written.
keep_status_after_cleanup() {
  trap 'status=$?; stop_everything; rm -rf "$work"; echo "$status" > "$session/status"' EXIT
}
