# Sourced by the Wine stage's scripts that start the program's window themselves, after
# stage_setup.sh: a scratch folder (WORK, with the working folder cwd), the Wine session,
# the check runner and the window helpers, starting and closing the window, and the
# clean-up of all of them on exit, a window left running included (APP_PID, APP_WINDOW).

WORK="$(mktemp -d "${TMPDIR:-/tmp}/vx-$(basename "$0" .sh).XXXXXX")"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=wine_session.sh
source "$HERE/wine_session.sh"
# shellcheck source=check_runner.sh
source "$HERE/check_runner.sh"
# shellcheck source=window_helpers.sh
source "$HERE/window_helpers.sh"
mkdir -p "$WORK/cwd"
APP_PID=""
APP_WINDOW=""
START_TIME=$SECONDS

cleanup() {
    [[ -z "$APP_PID" ]] || kill "$APP_PID" 2>/dev/null
    stop_wine_session
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# start_window [NAME=VALUE...]: starts the program's window, with those environment
# settings, and waits for it (APP_PID, APP_WINDOW).
start_window() {
    (cd "$WORK/cwd" && exec env "$@" wine "$EXE") >>"$ARTEFACTS/wine-output.log" 2>&1 &
    APP_PID=$!
    wait_for 60 eval 'APP_WINDOW="$(window_id)"; [[ -n "$APP_WINDOW" ]]' || { echo "no window"; return 1; }
}

# stop_window: closes the window with Alt+F4, and ends the program if that does not.
stop_window() {
    [[ -n "$APP_PID" ]] || return 0
    xdotool windowfocus --sync "$APP_WINDOW" 2>/dev/null
    xdotool key alt+F4
    wait_for 30 eval '! kill -0 "$APP_PID" 2>/dev/null' || kill "$APP_PID"
    wait "$APP_PID" 2>/dev/null
    APP_PID=""
}
