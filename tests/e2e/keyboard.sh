#!/usr/bin/env bash
# The real installer driven from the keyboard alone: on an X server of its own
# (run-with-xvfb.sh) with a scratch Wine prefix, xdotool presses Tab to reach VST3, Space
# to select it, Tab to INSTALL and Return to install it; then shift-Tab back to EULA,
# Return to open the licence panel, Tab to its close control and Return to close it.
# Files are checked on the prefix's drive, the window's pixels at points by its controls
# (tests/e2e/controls.sh) in screenshots, which stay in the artefact folder.
#   run-with-xvfb.sh keyboard.sh <vx_installer> <artefact folder>
set -euo pipefail
usage="usage: keyboard.sh <vx_installer> <artefact folder>"
exe=$(realpath "${1:?$usage}")
artefacts=${2:?$usage}
# shellcheck source=checks.sh
source "$(dirname "$0")/checks.sh"
vst3_bundle="$WINEPREFIX/drive_c/Program Files/Common Files/VST3/Ostrand.vst3"

# key KEY...: keys pressed one after another, then time for the window to repaint.
key() {
    xdotool key --delay 150 "$@"
    sleep 0.4
}

# ring_left_of NAME: on the focus ring's stroke, which runs 0.625 u outside the control,
# halfway down its left side.
ring_left_of() { at "$1" -0.625 ""; }

fading=16
background="17 17 17"
black="0 0 0"
yellow="211 197 95"
row_idle="70 69 69"
success_green="40 201 55"

"$exe" >"$work/installer.log" 2>&1 &
app_pid=$!
wait_for_window 10 || exit 1
# Without a window manager nobody gives the window the focus; the pointer stays away.
xdotool mousemove 1279 1023
xdotool windowfocus --sync "$window"
sleep 0.3

shoot 01-start
check "no focus ring at start" pixel_near 01-start $(ring_left_of VST3) $background 0

key Tab Tab
shoot 02-vst3-focused
check "focus ring left of VST3" pixel_near 02-vst3-focused $(ring_left_of VST3) $yellow 8
check "focus ring above VST3" pixel_near 02-vst3-focused $(at VST3 22.5 -0.625) $yellow 8
check "VST3 not selected yet" pixel_near 02-vst3-focused $(at VST3 0 5) $row_idle

key space
shoot 03-vst3-selected
check "VST3 outlined once selected" pixel_near 03-vst3-selected $(at VST3 0 5) $yellow 8
check "focus ring still on VST3" pixel_near 03-vst3-selected $(ring_left_of VST3) $yellow 8

# VST3 -> CLAP, AAX, EULA, MANUAL, WEBSITE, SUPPORT, INSTALL
key Tab Tab Tab Tab Tab Tab Tab
shoot 04-install-focused
check "focus ring left of INSTALL" pixel_near 04-install-focused $(ring_left_of INSTALL) $yellow 8
check "focus ring gone from VST3" pixel_near 04-install-focused $(ring_left_of VST3) $background 0

key Return
shoot 05-result
check "VST3 bundle installed" test -d "$vst3_bundle"
check "result card shown" pixel_near 05-result $(at RESULT_CARD 1 15) $black $fading
check "result card shows success" pixel_near 05-result $(at RESULT_ICON 2.8 7) $success_green $fading
sleep 3.5

# INSTALL -> SUPPORT, WEBSITE, MANUAL, EULA
key shift+Tab shift+Tab shift+Tab shift+Tab
shoot 06-eula-focused
check "focus ring left of EULA" pixel_near 06-eula-focused $(ring_left_of EULA) $yellow 8

key Return
shoot 07-eula-open
check "licence panel covers the main screen" pixel_near 07-eula-open $(at CLAP 43 1) $background

key Tab
shoot 08-close-focused
check "focus ring on the close control" pixel_near 08-close-focused $(ring_left_of PANEL_CLOSE) $yellow 8

key Return
shoot 09-eula-closed
check "licence panel closed" pixel_near 09-eula-closed $(at CLAP 43 1) $row_idle
check "focus back on EULA" pixel_near 09-eula-closed $(ring_left_of EULA) $yellow 8

echo "screenshots: $artefacts"
if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "all checks passed"
