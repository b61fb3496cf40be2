#!/usr/bin/env bash
# Runs the Windows build of vx_installer under Wine on a private X server and checks
# it from the outside, as a user would see it.
#
#   tests/wine/run_wine_tests.sh <vx_installer.exe> <artefacts-folder>
#
# Every run uses a fresh Wine prefix in a temporary folder and an Xvfb on a free
# display; both are torn down on exit, whatever happens. Screenshots and Wine's
# output land in the artefacts folder.
#
# Adding a check: write a function check_<name> that returns non-zero (after
# printing why) on failure and append "<name>" to the right list below: SESSION_CHECKS
# run in order against the one running program, after it has shown its window and
# before it is closed. Helpers for checks: wait_for, screenshot, window_id, wine_path,
# window_geometry, crop_window, window_colours, window_shows_content, and the variables
# WINEPREFIX, DRIVE_C, ARTEFACTS, WORK (scratch), APP_WINDOW, APP_PID.
#
# Prints PASS/FAIL per check and a closing "N passed, N failed" line; exits non-zero
# when anything failed.
set -uo pipefail

SESSION_CHECKS=(window_appears window_is_painted repaints_after_resize)
# The closing check always runs last: it needs the program to still be running.
CLOSING_CHECK=closes_with_alt_f4

EXE="${1:?usage: $0 <vx_installer.exe> <artefacts-folder>}"
ARTEFACTS="${2:?usage: $0 <vx_installer.exe> <artefacts-folder>}"
[[ -f "$EXE" ]] || { echo "run_wine_tests: no such file: $EXE" >&2; exit 2; }
EXE="$(cd "$(dirname "$EXE")" && pwd)/$(basename "$EXE")"
mkdir -p "$ARTEFACTS" || exit 2
ARTEFACTS="$(cd "$ARTEFACTS" && pwd)"

for tool in wine wineboot wineserver Xvfb xdotool import convert compare timeout; do
    command -v "$tool" >/dev/null || {
        echo "run_wine_tests: '$tool' not found (packages wine wine64 xvfb xdotool imagemagick coreutils)" >&2
        exit 2
    }
done

# Timeouts in seconds.
PREFIX_TIMEOUT=180
WINDOW_TIMEOUT=60
EXIT_TIMEOUT=30

WORK="$(mktemp -d "${TMPDIR:-/tmp}/vx-wine-tests.XXXXXX")"
export WINEPREFIX="$WORK/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="
DRIVE_C="$WINEPREFIX/drive_c"
XVFB_PID=""
APP_PID=""
APP_WINDOW=""

cleanup() {
    if [[ -n "$APP_PID" ]] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null
    fi
    if [[ -d "$WINEPREFIX" ]]; then
        timeout 20 wineserver -k >/dev/null 2>&1
        timeout 20 wineserver -w >/dev/null 2>&1
    fi
    if [[ -n "$XVFB_PID" ]]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---------------------------------------------------------------------------------------
# Helpers

# wait_for SECONDS COMMAND...: retries COMMAND every 0.2 s until it succeeds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# screenshot NAME: the whole screen into $ARTEFACTS/NAME.png; prints the path.
screenshot() {
    local file="$ARTEFACTS/$1.png"
    import -window root "$file" 2>>"$ARTEFACTS/import.log" || return 1
    echo "$file"
}

# window_id: the X window of the program's top-level window, if there is one.
window_id() {
    xdotool search --onlyvisible --name '^vx_installer$' 2>/dev/null | head -n 1
}

# wine_path WINDOWS_PATH: the Linux path of a path on drive C of the prefix.
wine_path() {
    local rest="${1#[Cc]:}"
    echo "$DRIVE_C/${rest//\\//}" | sed 's|//*|/|g'
}

# The program's window as "X Y W H" (root coordinates).
window_geometry() {
    local geometry
    geometry="$(xdotool getwindowgeometry --shell "$APP_WINDOW" 2>/dev/null)" || return 1
    eval "$geometry"
    echo "$X $Y $WIDTH $HEIGHT"
}

# crop_window SOURCE DEST: cuts the program's window out of a screenshot.
crop_window() {
    local x y w h
    read -r x y w h <<<"$(window_geometry)" || return 1
    convert "$1" -crop "${w}x${h}+${x}+${y}" +repage "$2"
}

# ---------------------------------------------------------------------------------------
# Checks against the running program

check_window_appears() {
    local id=""
    wait_for "$WINDOW_TIMEOUT" eval 'id="$(window_id)"; [[ -n "$id" ]]' || {
        echo "no visible window named vx_installer within ${WINDOW_TIMEOUT} s"
        kill -0 "$APP_PID" 2>/dev/null || echo "(the program has exited; see $ARTEFACTS/wine-output.log)"
        return 1
    }
    APP_WINDOW="$id"
}

# window_colours NAME: screenshot NAME, cut out the window, print its number of colours.
window_colours() {
    local shot
    shot="$(screenshot "$1")" && crop_window "$shot" "$WORK/$1.png" && convert "$WORK/$1.png" -format '%k' info:
}

# window_shows_content NAME: the window in screenshot NAME is not one flat fill.
window_shows_content() {
    local colours
    colours="$(window_colours "$1")" && ((colours > 16))
}

# The first frame is drawn: the window is not one flat colour.
check_window_is_painted() {
    [[ -n "$APP_WINDOW" ]] || { echo "no window"; return 1; }
    wait_for 20 window_shows_content main-window ||
        { echo "window shows only $(window_colours main-window) colours: not painted"; return 1; }
}

# Wine's stub for the display's vblank wait stalls the framework's own repaints after
# the first frame. Shrinking the window makes the program lay itself out again and
# repaint: the smaller window must show content, neither a flat fill nor the old frame
# cut off. (Growing back is no test: the system then asks for a paint of the uncovered
# area, which works anyway.)
check_repaints_after_resize() {
    [[ -n "$APP_WINDOW" ]] || { echo "no window"; return 1; }
    local x y w h small
    read -r x y w h <<<"$(window_geometry)" || { echo "no geometry"; return 1; }
    small=$((w * 2 / 3))
    xdotool windowsize "$APP_WINDOW" "$small" "$small"
    wait_for 10 eval '[[ "$(window_geometry)" == "$x $y $small $small" ]]' ||
        { echo "window did not shrink to ${small}x${small}: $(window_geometry)"; return 1; }
    # What a stalled window would show: the old frame cut to the new size.
    convert "$WORK/main-window.png" -crop "${small}x${small}+0+0" +repage "$WORK/stale.png" ||
        { echo "no first frame to compare with"; return 1; }
    local painted=0 colours
    wait_for 10 shrunk_window_repainted && painted=1
    colours="$(convert "$WORK/window-shrunk.png" -format '%k' info:)"
    xdotool windowsize "$APP_WINDOW" "$w" "$h"
    ((painted)) || {
        echo "shrunk window ($colours colours) is a flat fill or the old frame: repaints stalled"
        return 1
    }
}

shrunk_window_repainted() {
    window_shows_content window-shrunk || return 1
    local diff
    diff="$(compare -metric AE "$WORK/stale.png" "$WORK/window-shrunk.png" null: 2>&1)"
    [[ "$diff" =~ ^[0-9]+$ ]] && ((diff > 0))
}

# Alt+F4 closes the window and the program ends with exit code 0.
check_closes_with_alt_f4() {
    [[ -n "$APP_WINDOW" ]] || { echo "no window"; return 1; }
    xdotool windowfocus --sync "$APP_WINDOW" 2>/dev/null || xdotool windowfocus "$APP_WINDOW"
    xdotool key alt+F4
    if ! wait_for "$EXIT_TIMEOUT" eval '! kill -0 "$APP_PID" 2>/dev/null'; then
        echo "program still running ${EXIT_TIMEOUT} s after alt+F4"
        return 1
    fi
    wait "$APP_PID"
    local code=$?
    APP_PID=""
    ((code == 0)) || { echo "program exited with code $code"; return 1; }
}

# ---------------------------------------------------------------------------------------
# Runner

PASSED=0
FAILED=0
finish() {
    echo "run_wine_tests: $PASSED passed, $FAILED failed"
    ((FAILED == 0))
    exit
}

setup_failed() {
    echo "FAIL setup: $*"
    FAILED=$((FAILED + 1))
    finish
}

# X server on a free display, chosen by the server itself.
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$ARTEFACTS/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
wait_for 10 test -s "$WORK/display" || setup_failed "Xvfb did not start (see $ARTEFACTS/xvfb.log)"
export DISPLAY=":$(head -n 1 "$WORK/display")"

# Fresh prefix.
timeout "$PREFIX_TIMEOUT" wineboot --init >"$ARTEFACTS/wineboot.log" 2>&1 ||
    setup_failed "wineboot --init failed or timed out (see $ARTEFACTS/wineboot.log)"
timeout "$PREFIX_TIMEOUT" wineserver -w || setup_failed "wineserver -w did not return"
[[ -d "$DRIVE_C" ]] || setup_failed "no drive_c in $WINEPREFIX"

wine "$EXE" >"$ARTEFACTS/wine-output.log" 2>&1 &
APP_PID=$!

for name in "${SESSION_CHECKS[@]}" "$CLOSING_CHECK"; do
    # Checks run in this shell so that they can hand state (APP_WINDOW, APP_PID) on.
    out="$(mktemp "$WORK/check.XXXXXX")"
    if "check_$name" >"$out" 2>&1; then
        echo "PASS $name"
        PASSED=$((PASSED + 1))
    else
        echo "FAIL $name: $(tr '\n' ' ' <"$out")"
        FAILED=$((FAILED + 1))
    fi
done
finish
