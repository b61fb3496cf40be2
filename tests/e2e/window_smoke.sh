#!/usr/bin/env bash
# Starts the installer on an X server of its own and checks that its window appears with
# the program's name at 600 x 600.
set -euo pipefail
exe=${1:?usage: window_smoke.sh <vx_installer>}
source "$(dirname "$(realpath "$0")")/xvfb_session.sh"

start_installer
geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
[ "$geometry" = "600x600" ] || { echo "window is $geometry, expected 600x600"; exit 1; }
echo "window vx_installer appeared at $geometry"
