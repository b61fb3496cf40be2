#!/usr/bin/env bash
# The states paint shows under a real pointer: the installer on Xvfb with CLAP installed,
# xdotool moving and pressing the mouse, and the pixels of the window read back from
# screenshots at points inside its controls (tests/e2e/controls.sh).
set -euo pipefail
exe=$(realpath "${1:?usage: paint_states.sh <vx_installer>}")
here=$(dirname "$(realpath "$0")")
source "$here/xvfb_session.sh"
# shellcheck source=controls.sh
source "$here/controls.sh"

mkdir -p "$common_files/CLAP"
printf 'stand-in module' >"$common_files/CLAP/Ostrand.clap"
start_installer

failures=0
shot="$work/shot.png"

# expect_pixel X Y R G B WHAT: the window's pixel at (X, Y) within 2 levels of R G B.
# Repaints arrive asynchronously, so a screenshot is taken again for up to 3 seconds.
expect_pixel() {
    local r g b
    for _ in $(seq 1 15); do
        shoot_window "$shot"
        read -r r g b <<<"$(convert "$shot" -format \
            "%[fx:round(255*p{$1,$2}.r)] %[fx:round(255*p{$1,$2}.g)] %[fx:round(255*p{$1,$2}.b)]" info:)"
        if (( r - $3 <= 2 && $3 - r <= 2 && g - $4 <= 2 && $4 - g <= 2 && b - $5 <= 2 && $5 - b <= 2 )); then
            echo "ok   $6"
            return
        fi
        sleep 0.2
    done
    echo "FAIL $6: pixel ($1, $2) is $r $g $b, expected $3 $4 $5"
    failures=$((failures + 1))
}

# at NAME [DX DY]: a point of the window by a control (control_point at the window's width).
at() { control_point "$1" "${window_width:?}" "${@:2}"; }
window_width=$(window_geometry | cut -d x -f 1)

# settle: let the pointer's events reach the window before the next check.
settle() { sleep 0.2; }

# Colours: the palette blended over the background 111111 the way the renderer does.
tile_idle="93 91 91"        # AAA6A6 at 128
tile_hover="131 128 128"    # AAA6A6 at 191
green="134 207 122"         # 86CF7A
row_idle="70 69 69"         # AAA6A6 at 89
row_hover="93 91 91"        # AAA6A6 at 128
installed_idle="1 134 195"  # 0094D8 at 230
installed_hover="0 148 216" # 0094D8

xdotool mousemove 1279 1023
settle
expect_pixel $(at EULA 0.5 5) $tile_idle "EULA tile idle"
expect_pixel $(at VST3 43 1) $row_idle "VST3 row idle"
expect_pixel $(at CLAP 43 1) $installed_idle "CLAP row idle"

xdotool mousemove --window "$window" $(at EULA 5 1)
settle
expect_pixel $(at EULA 0.5 5) $tile_hover "EULA tile under the pointer"
expect_pixel $(at MANUAL 0.5 5) $tile_idle "MANUAL tile idle beside it"

xdotool mousedown 1
settle
expect_pixel $(at EULA 0.5 5) $green "EULA tile held"

# Dragged off and released outside: green while held, idle after, and no click.
xdotool mousemove --window "$window" $(at NO_CONTROL)
settle
expect_pixel $(at EULA 0.5 5) $green "EULA tile held with the pointer outside"
xdotool mouseup 1
settle
expect_pixel $(at EULA 0.5 5) $tile_idle "EULA tile released outside"

xdotool mousemove --window "$window" $(at VST3)
settle
expect_pixel $(at VST3 43 1) $row_hover "VST3 row under the pointer"
xdotool mousemove --window "$window" $(at CLAP)
settle
expect_pixel $(at CLAP 43 1) $installed_hover "CLAP row under the pointer"
expect_pixel $(at VST3 43 1) $row_idle "VST3 row idle again"

if [ "$failures" -ne 0 ]; then
    echo "$failures pixel checks failed"
    cp "$shot" "${TMPDIR:-/tmp}/paint_states_last.png" && echo "last screenshot: ${TMPDIR:-/tmp}/paint_states_last.png"
    exit 1
fi
echo "all pixel checks passed"
