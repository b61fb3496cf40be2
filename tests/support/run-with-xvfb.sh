#!/usr/bin/env bash
# Runs a command on an X server of its own, for tests that need a display (a real window,
# the pointer, the component animator's snapshot), and returns the command's status.
# Xvfb picks a free display number itself (-displayfd), so parallel runs do not collide;
# -noreset keeps atoms made by one client alive for the next (tests/e2e/wm_stand_in).
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: run-with-xvfb.sh command [args...]" >&2; exit 2; }

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; rm -f "$fifo"' EXIT

number=""
read -r -t 20 number <"$fifo" || true
[ -n "$number" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"

status=0
"$@" || status=$?
exit "$status"
