# Sourced by the Wine stage's scripts that start the program's window themselves, after
# stage_setup.sh: a scratch folder (WORK, with the working folder cwd), the Wine session,
# the check runner and the window helpers, and the clean-up of all of them on exit, a
# window left running included (APP_PID, APP_WINDOW).

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
