#!/usr/bin/env bash
# Starts the installer on an X server of its own and checks that its window appears with
# the program's name at 600 x 600, then closes it.
set -euo pipefail
exe=${1:?usage: window_smoke.sh <vx_installer>}

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
mkdir -p "$WINEPREFIX/drive_c"
trap 'kill $app_pid 2>/dev/null || true; kill $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT

display=":$((90 + RANDOM % 400))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
sleep 1

"$exe" >/dev/null 2>&1 &
app_pid=$!

window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --name '^vx_installer$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "no window named vx_installer appeared"; exit 1; }

geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
[ "$geometry" = "600x600" ] || { echo "window is $geometry, expected 600x600"; exit 1; }

kill -TERM "$app_pid"
wait "$app_pid" || true
echo "window vx_installer appeared at $geometry"
