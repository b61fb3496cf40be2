#!/usr/bin/env bash
# The real installer driven like a user: on an X server of its own (run-with-xvfb.sh) with
# a scratch Wine prefix, xdotool clicks CLAP and INSTALL, shift-clicks INSTALL to
# uninstall, opens and closes the licence and support panels, and closes the window the
# way a window manager's close button does. Files are checked on the prefix's drive,
# what the window shows at points inside its controls (tests/e2e/controls.sh) in
# screenshots, which stay in the artefact folder.
#   run-with-xvfb.sh interaction.sh <vx_installer> <wm_stand_in> <artefact folder>
set -euo pipefail
usage="usage: interaction.sh <vx_installer> <wm_stand_in> <artefact folder>"
exe=$(realpath "${1:?$usage}")
wm_stand_in=$(realpath "${2:?$usage}")
artefacts=${3:?$usage}
# shellcheck source=checks.sh
source "$(dirname "$0")/checks.sh"
maker_folder="$WINEPREFIX/drive_c/ProgramData/Audio Tarvosk"
settings_file="$maker_folder/PluginManagerSettings.txt"
clap_bundle="$WINEPREFIX/drive_c/Program Files/Common Files/CLAP/Ostrand.clap"
mkdir -p "$maker_folder"

# brightest SHOT WxH+X+Y: the highest red level in the rectangle.
brightest() {
    convert "$artefacts/$1.png" -crop "$2" +repage -format "%[fx:round(255*maxima.r)]" info:
}
has_text() { [ "$(brightest "$@")" -ge 120 ]; }
is_blank() { [ "$(brightest "$@")" -le 20 ]; }

# click NAME: a left click in the middle of a control; the pointer stays there.
click() {
    # shellcheck disable=SC2046 # two numbers
    xdotool mousemove --window "$window" $(at "$1") click 1
    sleep 0.4
}

# shoot_until SHOT CONDITION...: shoots SHOT again until the condition holds (a panel has
# opened or closed on a busy machine), for at most 5 s; the checks then read that shot.
shoot_until() {
    local name=$1 end=$((SECONDS + 5))
    shift
    until shoot "$name" && "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 0
        sleep 0.1
    done
}

# The card has begun to fade when the screenshot is taken: its colours are a little off.
fading=16
# After a run the card fades for three seconds; the next checks want it gone.
wait_for_fade() { sleep 3.5; }

# Colours on the background 111111, as the renderer blends them.
background="17 17 17"
black="0 0 0"
yellow="211 197 95"        # D3C55F, a selected row's outline
row_idle="70 69 69"        # AAA6A6 at 89, a row not installed
installed_idle="1 134 195" # 0094D8 at 230, an installed row away from the pointer
tile_idle="93 91 91"       # AAA6A6 at 128
success_green="40 201 55"  # the success icon's disc
warning_orange="255 170 0" # the warning icon's disc

# Without a window manager nothing makes the atoms a close request needs.
"$wm_stand_in" prepare
"$exe" >"$work/installer.log" 2>&1 &
app_pid=$!
wait_for_window 10 || exit 1

# The settings file with the default folders, written at the first start.
check "settings file written at start" within 5 test -f "$settings_file"
check "settings file holds exactly the default folders" cmp "$(dirname "$0")/../fixtures/default-settings.txt" "$settings_file"

xdotool mousemove 1279 1023
sleep 0.3
shoot 01-start
check "CLAP row not installed at start" pixel_near 01-start $(at CLAP 43 1) $row_idle

click CLAP
shoot 02-clap-selected
check "CLAP row outlined once selected" pixel_near 02-clap-selected $(at CLAP 0 5) $yellow

click INSTALL
shoot 03-result-install
check "CLAP bundle installed" test -f "$clap_bundle"
check "result card shown after the install" pixel_near 03-result-install $(at RESULT_CARD 1 15) $black $fading
check "result card shows success" pixel_near 03-result-install $(at RESULT_ICON 2.8 7) $success_green $fading
wait_for_fade
shoot 04-clap-installed
check "CLAP row blue once installed" pixel_near 04-clap-installed $(at CLAP 43 1) $installed_idle
check "CLAP row no longer selected" pixel_near 04-clap-installed $(at CLAP 0 5) $installed_idle
check "result card gone after its fade" pixel_near 04-clap-installed $(at RESULT_CARD 1 15) $row_idle

# Shift held over INSTALL turns it into UNINSTALL; the click removes the selected bundle.
click CLAP
xdotool mousemove --window "$window" $(at INSTALL)
xdotool keydown shift
sleep 0.4
shoot 05-uninstall-caption
xdotool click 1
sleep 0.4
xdotool keyup shift
shoot 06-result-uninstall
check "CLAP bundle removed by the shift-click" test ! -e "$clap_bundle"
check "result card shows success of the uninstall" pixel_near 06-result-uninstall $(at RESULT_ICON 2.8 7) $success_green $fading
wait_for_fade
shoot 07-clap-uninstalled
check "CLAP row back to not installed" pixel_near 07-clap-uninstalled $(at CLAP 43 1) $row_idle

# Nothing selected: the run fails, and says so.
click INSTALL
shoot 08-result-nothing-selected
check "result card shows failure with nothing selected" pixel_near 08-result-nothing-selected $(at RESULT_ICON 2.8 7) $warning_orange $fading
wait_for_fade

click EULA
shoot_until 09-eula pixel_near 09-eula $(at CLAP 43 1) $background
check "licence panel shows the licence text" has_text 09-eula "$(control_crop LICENCE_TEXT "$(window_width)" 49 43 43 12)"
check "licence panel covers the main screen" pixel_near 09-eula $(at CLAP 43 1) $background
click PANEL_CLOSE
shoot_until 10-eula-closed pixel_near 10-eula-closed $(at CLAP 43 1) $row_idle
check "licence panel closed" is_blank 10-eula-closed "$(control_crop LICENCE_TEXT "$(window_width)" 49 43 43 12)"
check "main screen back after the licence panel" pixel_near 10-eula-closed $(at CLAP 43 1) $row_idle

click SUPPORT
shoot_until 11-support pixel_near 11-support $(at MAIL 0.5 5) $tile_idle
check "support panel shows the e-mail tile" pixel_near 11-support $(at MAIL 0.5 5) $tile_idle
check "support panel shows the about text" has_text 11-support "$(control_crop ABOUT_TEXT "$(window_width)" 0 5 80 10)"
click PANEL_CLOSE
shoot_until 12-support-closed pixel_near 12-support-closed $(at MAIL 0.5 5) $background
check "support panel closed" pixel_near 12-support-closed $(at MAIL 0.5 5) $background

# A double-click on INSTALL installs once: its second click comes after the short run and
# does nothing, so the success card stays.
click CLAP
# shellcheck disable=SC2046 # two numbers
xdotool mousemove --window "$window" $(at INSTALL) click --repeat 2 --delay 150 1
sleep 0.4
shoot 13-result-double-click
check "a double-click on INSTALL installs CLAP" test -f "$clap_bundle"
check "a double-click on INSTALL ends on the success card" pixel_near 13-result-double-click $(at RESULT_ICON 2.8 7) $success_green $fading
wait_for_fade

"$wm_stand_in" close "$window"
exited() { ! kill -0 "$app_pid" 2>/dev/null; }
if within 10 exited; then
    status=0
    wait "$app_pid" || status=$?
    app_pid=""
    check "installer ended with status 0 after the window closed" test "$status" -eq 0
else
    check "installer ended after the window closed" false
fi

echo "screenshots: $artefacts"
if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "all checks passed"
