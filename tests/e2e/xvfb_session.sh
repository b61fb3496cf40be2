# Sourced by the end-to-end scripts: a scratch Wine prefix, an X server of its own and the
# installer's window on it. The caller sets `exe` and may fill the prefix before
# start_installer; everything is removed on exit.

# shellcheck source=../support/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
# shellcheck source=window.sh
source "$(dirname "${BASH_SOURCE[0]}")/window.sh"

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
mkdir -p "$WINEPREFIX/drive_c"
app_pid=""
trap 'stop_session' EXIT

# Ends the programs this session started and keeps the script's own exit status.
stop_session() {
    local status=$?
    if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
    stop_xvfb
    rm -rf "$work"
    exit "$status"
}

common_files="$WINEPREFIX/drive_c/Program Files/Common Files"

# Starts an X server of its own and the installer on it; sets `window`.
start_installer() {
    start_xvfb || return 1

    "$exe" >/dev/null 2>&1 &
    app_pid=$!

    wait_for_window 10
}

# Client area of the window as "WIDTHxHEIGHT+X+Y" on the root window.
window_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "${WIDTH}x${HEIGHT}+${X}+${Y}"
}

# Screenshot of the window's client area to $1 (PNG).
shoot_window() {
    import -window root -crop "$(window_geometry)" +repage "$1"
}

# Moves the window to the screen's top-left corner, resizes it to a square of $1 pixels
# and waits for the new size to take.
resize_window() {
    xdotool windowmove "$window" 0 0
    xdotool windowsize "$window" "$1" "$1"
    for _ in $(seq 1 50); do
        case "$(window_geometry)" in "$1x$1+"*) break ;; esac
        sleep 0.1
    done
    sleep 0.5
}
