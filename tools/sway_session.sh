# A headless sway, for the scripts that drive native Wayland windows: the
# end-to-end tests and the bench. sway refuses to run as root, so it runs as
# nobody in a runtime folder of its own; the scripts, as root, may still use
# its sockets. Needs x_session.sh (poll, as_nobody, started_pids).

# start_sway FOLDER force|disable: a compositor with XWayland or without, its
# runtime folder in FOLDER. "force" starts XWayland at once and keeps it; the
# lazy one ends with its last client and comes back without the access
# granted below.
start_sway() {
  export XDG_RUNTIME_DIR="$1/runtime-$2"
  mkdir -p "$XDG_RUNTIME_DIR"
  printf 'output HEADLESS-1 resolution 1024x768\nxwayland %s\n' "$2" > "$XDG_RUNTIME_DIR/config"
  chown -R "$nobody:$nobody" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  "${as_nobody[@]}" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$XDG_RUNTIME_DIR/config" >"$XDG_RUNTIME_DIR/sway.log" 2>&1 &
  sway_pid=$!
  started_pids+=("$sway_pid")
  poll sway_ready || { echo "$0: sway did not start" >&2; cat "$XDG_RUNTIME_DIR/sway.log" >&2; exit 1; }
  SWAYSOCK=$(echo "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
  WAYLAND_DISPLAY=$(basename "$(echo "$XDG_RUNTIME_DIR"/wayland-*[0-9])")
  export SWAYSOCK WAYLAND_DISPLAY
  [ "$2" = force ] && open_xwayland
}

sway_ready() { compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" >/dev/null && compgen -G "$XDG_RUNTIME_DIR/wayland-*[0-9]" >/dev/null; }

# XWayland belongs to nobody: ask sway for its display, and for root's way in.
open_xwayland() {
  swaymsg exec "echo \$DISPLAY > $XDG_RUNTIME_DIR/display" >/dev/null
  swaymsg exec "xhost +si:localuser:root" >/dev/null
  poll test -s "$XDG_RUNTIME_DIR/display"
  DISPLAY=$(cat "$XDG_RUNTIME_DIR/display")
  export DISPLAY
  poll xhost_allows_root || { echo "$0: XWayland did not let root in" >&2; exit 1; }
}
xhost_allows_root() { xhost 2>/dev/null | grep -q 'localuser:root'; }

stop_sway() {
  kill "$sway_pid" 2>/dev/null && wait "$sway_pid" 2>/dev/null
  unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
}
