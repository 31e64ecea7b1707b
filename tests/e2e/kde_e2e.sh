#!/usr/bin/env bash
# The Linux build as the native Wayland window a KDE Plasma session gets: a
# headless KWin, asked through a KWin script (as Plasma's own tools ask it)
# where the window is and whether it keeps off the task manager and the
# window switcher. No tool here types into a KWin window.
# Usage: kde_e2e.sh MIRUTOKA SCREENSHOT_DIR
set -uo pipefail
source "$(dirname "$0")/nested_session.sh"
if [ -z "${MIRUTOKA_IN_KWIN:-}" ]; then
  # KWin runs this script again as its session and ends with it; what the
  # inner run says and how it ended come back through files. The installed
  # KWin carries a file capability, which a container may refuse to honour
  # at exec; a copy without it runs anywhere, and only the name must stay.
  new_session
  mkdir "$session/bin"
  cp /usr/bin/kwin_wayland "$session/bin/kwin_wayland"
  # KWin takes its session as one program to run, without arguments.
  printf '#!/bin/sh\nexec bash "%s"\n' "$(realpath "$0")" > "$session/bin/session"
  chmod 755 "$session/bin/session"
  run_nested kde_e2e MIRUTOKA_IN_KWIN MIRUTOKA_KDE_ARGUMENTS="$(realpath "$1") $2" \
    QT_LOGGING_RULES=kwin_scripting.debug=true "$session/bin/kwin_wayland" --virtual --width 1024 --height 768 \
    --no-lockscreen --no-global-shortcuts --no-kactivities --exit-with-session "$session/bin/session"
fi

start_inner_run "$MIRUTOKA_IN_KWIN"
read -r program screenshot_dir <<<"$MIRUTOKA_KDE_ARGUMENTS"
source "$(dirname "$0")/e2e_lib.sh" "$screenshot_dir"
use_program "$program"
keep_status_after_cleanup
require_tools dbus-send

# Prints a line "WINDOW caption x y width height skip_taskbar skip_switcher"
# for each window KWin manages into KWin's log, by a script of a fresh name.
scripts_run=0
kwin_windows() {
  scripts_run=$((scripts_run + 1))
  local script="$work/windows.js" id
  cat > "$script" <<'EOF'
const windows = workspace.clientList();
for (let i = 0; i < windows.length; ++i) {
    const w = windows[i];
    print("WINDOW", w.caption, w.frameGeometry.x, w.frameGeometry.y, w.frameGeometry.width, w.frameGeometry.height,
          w.skipTaskbar, w.skipSwitcher);
}
EOF
  id=$(dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript \
    string:"$script" string:"windows$scripts_run" 2>/dev/null | awk '/int32/ {print $2}')
  [ -n "$id" ] && dbus-send --session --print-reply --dest=org.kde.KWin "/$id" org.kde.kwin.Script.run \
    >/dev/null 2>&1
}
# The newest report on PASS: "x y width height skip_taskbar skip_switcher".
pass_as_kwin_sees_it() { grep -o "WINDOW $title .*" "$session/compositor.log" | tail -n 1 | cut -d' ' -f3-; }
kwin_lists_pass() { kwin_windows; [ -n "$(pass_as_kwin_sees_it)" ]; }


poll test -S "$session/$WAYLAND_DISPLAY" || { echo "e2e: KWin's Wayland socket did not appear" >&2; exit 1; }

new_case kde_keeps_the_window_off_the_task_manager_and_centred
password_file $'himitsu\n../touch.sh started\n'
start_program
check "KWin manages the window" poll kwin_lists_pass
read -r x y width height skip_taskbar skip_switcher <<<"$(pass_as_kwin_sees_it)"
check "the window is centred ($x $y $width $height)" is_centred "$x" "$y" "$width" "$height"
check "it keeps off the task manager" test "$skip_taskbar" = true
check "it keeps out of the window switcher" test "$skip_switcher" = true
kill "$pid"
wait_for_exit "$pid"

report_and_exit
