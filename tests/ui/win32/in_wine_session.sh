#!/usr/bin/env bash
# Runs a Windows test program under Wine in an X session of its own, for
# tests that need real windows. Usage: in_wine_session.sh PROGRAM [ARGUMENT...]
set -uo pipefail
source "$(dirname "$0")/../../e2e/e2e_lib.sh" "$(dirname "$1")/e2e-screenshots"
start_wine_session
"$wine" "$@"
