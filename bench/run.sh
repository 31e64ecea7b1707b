#!/usr/bin/env bash
# Measures mirutoka beside its peers in one run on this machine, interleaved
# round by round after a warm-up round, in an X server of its own with openbox.
# Usage: bench/run.sh LINUX_BIN_DIR WIN32_EXE WIN64_EXE OUT_DIR [ROUNDS]
set -uo pipefail
# A desktop has a session bus; without one, Qt would spend its start trying
# to launch one (about 4 ms here), which no user ever sees.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-run-session >/dev/null; then
  exec dbus-run-session -- "$0" "$@"
fi
bin=$(realpath "$1")
win32_exe=$(realpath "$2")
win64_exe=$(realpath "$3")
out=$(realpath -m "$4")
rounds=${5:-15}
screenshots=$out
source "$(dirname "$0")/../tests/e2e/e2e_lib.sh"
require_tools pinentry-gtk-2 zenity gnuplot python3
mkdir -p "$out"
start_x_session

folder="$work/gate"
mkdir -p "$folder"
printf 'himitsu\n%s %s\n' "$bin/mark_start" "$folder/started" > "$folder/PASSWORD.INI"

# name|time_to_window options|command
programs=(
  "mirutoka|--type himitsu --marker $folder/started|$bin/mirutoka"
  "bare Qt 6 dialog||$bin/bare_qt_dialog"
  "pinentry-gtk2|--stdin GETPIN|pinentry-gtk-2"
  "zenity --password||zenity --password"
)

measure() {
  local name options command line
  IFS='|' read -r name options command <<<"$1"
  # shellcheck disable=SC2086 # the options and the command are words on purpose
  line=$(cd "$folder" && timeout 60 "$bin/time_to_window" $options -- $command 2>/dev/null)
  [ -n "$line" ] && printf '%s|%s\n' "$name" "$line"
}

# Each round starts one program further on, so no program always follows the
# same one (zenity, say, leaves session services starting up behind it), and
# every run waits a moment for what the one before set going to settle.
raw="$out/raw.txt"
: > "$raw"
count=${#programs[@]}
for round in $(seq 0 "$rounds"); do
  for step in $(seq 0 $((count - 1))); do
    sleep 0.3
    line=$(measure "${programs[$(((round + step) % count))]}") || continue
    [ "$round" -gt 0 ] && printf '%s\n' "$line" >> "$raw"
  done
  [ "$round" -eq 0 ] && echo "bench: warm-up round done; $rounds rounds to go" >&2
done

machine="$(. /etc/os-release && echo "$PRETTY_NAME"), $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GiB, Xvfb + openbox + a D-Bus session"
python3 "$(dirname "$0")/report.py" "$raw" "$bin/mirutoka" "$win32_exe" "$win64_exe" "$machine" "$out"
