# For suites that a compositor runs again as its own client or session: the
# outer run starts the compositor, the inner one runs the cases, and what
# the inner run says and how it ended come back through files in SESSION.

# The outer run's end: prints the inner run's output, or the compositor's log
# when there was none, and exits with the inner run's status.
finish_outer_run() {
  local suite=$1 session=$2 compositor_log=$3 status
  cat "$session/inner.log" 2>/dev/null || { echo "$suite: the compositor did not run the tests:" >&2; cat "$compositor_log" >&2; }
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
