#!/usr/bin/env bash
# Runs a command on an X server of its own, for tests that need a display (a real window,
# the pointer, the component animator's snapshot), and returns the command's status.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: run-with-xvfb.sh command [args...]" >&2; exit 2; }

# shellcheck source=xvfb.sh
source "$(dirname "$(realpath "$0")")/xvfb.sh"
trap stop_xvfb EXIT
start_xvfb || exit 1

status=0
"$@" || status=$?
exit "$status"
