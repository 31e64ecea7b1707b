#!/usr/bin/env bash
# Measures mirutoka beside its peers, interleaved round by round after a
# warm-up round, each setting in an X server of its own:
#   desktop      openbox and a D-Bus session
#   bare         no window manager and no session bus
#   gnome        openbox, a D-Bus session, XDG_CURRENT_DESKTOP=GNOME and
#                Qt's GTK 3 theme plugin installed, as on a GNOME desktop
#   few-desktop  as desktop, and as bare, with a private font configuration
#   few-bare     of only DejaVu, Noto CJK and URW: a machine with few fonts
#   wayland      a headless sway with XWayland and a D-Bus session, timed to
#                sway's new-window event (bench/wayland_time_to_window.py)
# The other settings have every installed face: ./dev bench installs the Noto
# families, as desktops do, some 2,500 faces.
# Usage: bench/run.sh LINUX_BIN_DIR WIN32_EXE WIN64_EXE OUT_DIR [ROUNDS]
set -uo pipefail
here=$(dirname "$(realpath "$0")")

# The Wayland setting: bench/run.sh --wayland LINUX_BIN_DIR RAW_FILE ROUNDS
if [ "${1:-}" = --wayland ]; then
  bin=$2 raw=$3 rounds=$4
  source "$here/../tools/x_session.sh"
  source "$here/../tools/sway_session.sh"
  work=$(mktemp -d)
  chmod 755 "$work"
  trap 'stop_everything; rm -rf "$work"' EXIT
  require_tools sway swaymsg xhost pinentry-gtk-2 zenity python3
  unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
  start_sway "$work" force
  echo "bench: wayland: $(fc-list | wc -l) font faces" >&2
  python3 "$here/wayland_time_to_window.py" wayland "$rounds" "$work" "mirutoka=$bin/mirutoka" \
    "mirutoka through XWayland=QT_QPA_PLATFORM=xcb $bin/mirutoka" \
    "bare Qt 6 dialog=QT_QPA_PLATFORM=wayland $bin/bare_qt_dialog" \
    "zenity --password=GDK_BACKEND=wayland zenity --password" "pinentry-gtk2=pinentry-gtk-2" >> "$raw"
  echo "bench: wayland done" >&2
  exit 0
fi

# One setting: bench/run.sh --setting NAME LINUX_BIN_DIR RAW_FILE ROUNDS
if [ "${1:-}" = --setting ]; then
  setting=$2 bin=$3 raw=$4 rounds=$5
  source "$here/../tools/x_session.sh"
  work=$(mktemp -d)
  trap 'stop_everything; rm -rf "$work"' EXIT
  require_tools pinentry-gtk-2 zenity
  case $setting in
    *bare) start_x_session no-window-manager ;;
    *) start_x_session ;;
  esac
  [ "$setting" = gnome ] && export XDG_CURRENT_DESKTOP=GNOME DESKTOP_SESSION=gnome
  [[ "$setting" == few-* ]] && export FONTCONFIG_FILE="$here/few_fonts.conf"
  echo "bench: $setting: $(fc-list | wc -l) font faces" >&2

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
    # A run that failed is reported as one, never dropped.
    printf '%s|%s|%s\n' "$setting" "$name" "${line:-failed=1}"
  }
  # Each round starts one program further on, so no program always follows the
  # same one, and every run waits a moment for what the one before set going.
  count=${#programs[@]}
  for round in $(seq 0 "$rounds"); do
    for step in $(seq 0 $((count - 1))); do
      sleep 0.3
      line=$(measure "${programs[$(((round + step) % count))]}") || continue
      [ "$round" -gt 0 ] && printf '%s\n' "$line" >> "$raw"
    done
  done
  # The settings without a window manager, timed again by other means, to
  # check the figures above (Debian's Python, which has python3-xlib).
  if [[ "$setting" == *bare ]]; then
    /usr/bin/python3 "$here/x11_time_to_window.py" "$setting, independent" "$rounds" "$folder" \
      "mirutoka=$bin/mirutoka" "bare Qt 6 dialog=$bin/bare_qt_dialog" "pinentry-gtk2=pinentry-gtk-2" >> "$raw"
  fi
  echo "bench: $setting done" >&2
  exit 0
fi

bin=$(realpath "$1")
win32_exe=$(realpath "$2")
win64_exe=$(realpath "$3")
out=$(realpath -m "$4")
rounds=${5:-15}
command -v gnuplot >/dev/null && command -v python3 >/dev/null || { echo "bench: gnuplot and python3 are missing" >&2; exit 1; }
mkdir -p "$out"
raw="$out/raw.txt"
: > "$raw"
# A desktop has a session bus; "bare" has none, so Qt tries to start one, as
# it does when started outside a session.
dbus-run-session -- bash "$0" --setting desktop "$bin" "$raw" "$rounds"
env -u DBUS_SESSION_BUS_ADDRESS bash "$0" --setting bare "$bin" "$raw" "$rounds"
dbus-run-session -- bash "$0" --setting gnome "$bin" "$raw" "$rounds"
dbus-run-session -- bash "$0" --setting few-desktop "$bin" "$raw" "$rounds"
env -u DBUS_SESSION_BUS_ADDRESS bash "$0" --setting few-bare "$bin" "$raw" "$rounds"
dbus-run-session -- bash "$0" --wayland "$bin" "$raw" "$rounds"

machine="$(. /etc/os-release && echo "$PRETTY_NAME"), $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GiB, Xvfb"
python3 "$here/report.py" "$raw" "$bin/mirutoka" "$win32_exe" "$win64_exe" "$machine" "$out"
