#!/usr/bin/env bash
# The demo that `./dev run` opens starts a program that `./dev run` itself
# installs, so the README's first command works on a fresh machine.
# Usage: demo_test.sh SOURCE_DIR
set -uo pipefail
root=$(realpath "$1")
program=$(sed -n 2p "$root/examples/demo/PASSWORD.INI" | cut -d' ' -f1)
run_packages=$(sed -n '/^run_packages=(/,/)/p' "$root/dev" | tr '()' '  ' | sed 's/run_packages=//')
path=$(command -v "$program")
package=$(dpkg -S "$(realpath "${path:-/nonexistent}")" 2>/dev/null | cut -d: -f1)
if [ -n "$package" ] && grep -qw -- "$package" <<<"$run_packages"; then
  echo "1 passed, 0 failed"
else
  echo "FAIL: the demo starts $program (package: ${package:-none}), which ./dev run does not install" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
