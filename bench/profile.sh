#!/usr/bin/env bash
# Where the start of mirutoka and of pinentry-gtk2 goes, from exec to the
# window being viewable: every CPU sampled 5,000 times a second while each
# program starts, ROUNDS times, in an X server with no window manager, no
# session bus and the few fonts of bench/few_fonts.conf. Writes the on-CPU
# time per thread and per shared library, and the busiest functions of the
# main thread, to OUT_DIR/profile.md.
# Usage: bench/profile.sh LINUX_BIN_DIR OUT_DIR [ROUNDS]
set -uo pipefail
here=$(dirname "$(realpath "$0")")
bin=$(realpath "$1")
out=$(realpath -m "$2")
rounds=${3:-10}
source "$here/../tools/x_session.sh"
require_tools perf pinentry-gtk-2 python3
work=$(mktemp -d)
trap 'stop_everything; rm -rf "$work"' EXIT
unset DBUS_SESSION_BUS_ADDRESS
export FONTCONFIG_FILE="$here/few_fonts.conf"
start_x_session no-window-manager
mkdir -p "$out" "$work/gate"
printf 'himitsu\n/bin/true\n' > "$work/gate/PASSWORD.INI"

# name|process name|time_to_window options|command
programs=(
  "mirutoka|mirutoka||$bin/mirutoka"
  "pinentry-gtk2|pinentry-gtk-2|--stdin GETPIN|pinentry-gtk-2"
)
for round in $(seq 1 "$rounds"); do
  for entry in "${programs[@]}"; do
    IFS='|' read -r name process options command <<<"$entry"
    sleep 0.3
    # shellcheck disable=SC2086 # the options and the command are words on purpose
    line=$(cd "$work/gate" && perf record -q -a -F 5000 -e cpu-clock -o "$work/perf.data" -- \
      timeout 60 "$bin/time_to_window" $options -- $command 2>/dev/null)
    window_ms=$(grep -oE 'window_ms=[0-9.]+' <<<"$line" | cut -d= -f2)
    [ -n "$window_ms" ] || { echo "profile: $name did not show its window" >&2; continue; }
    perf script -i "$work/perf.data" -F comm,pid,tid,time,ip,sym,dso 2>/dev/null > "$work/$name.$round.samples"
    echo "$name $process $window_ms $work/$name.$round.samples" >> "$work/runs"
  done
done
python3 "$here/profile_report.py" "$work/runs" 5000 > "$out/profile.md"
cat "$out/profile.md"
