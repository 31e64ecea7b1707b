#!/usr/bin/env bash
# What a screen reader, or any other program of the session that listens on
# the accessibility bus, learns of PASS. The bus is set up the way Orca sets
# it up: a private session bus, at-spi-bus-launcher telling every program that
# a screen reader runs, the registry started on demand. U+200C, which the
# cases type, has a keycode of its own, as a layout would give it.
# Usage: accessibility_e2e.sh MIRUTOKA PLAIN_FIELD
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
require_tools /usr/libexec/at-spi-bus-launcher /usr/bin/python3
start_x_session
start_session_bus "$work"
map_keys $'\u200c'
/usr/libexec/at-spi-bus-launcher --launch-immediately --screen-reader=1 >/dev/null 2>&1 &
started_pids+=($!)
timeout 200 /usr/bin/python3 "$(dirname "$0")/accessibility_e2e.py" "$(realpath "$1")" "$(realpath "$2")"
