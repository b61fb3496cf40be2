# Sourced by the end-to-end sessions (checks.sh, xvfb_session.sh): finding the
# installer's window on the display.

# find_window: sets `window` to the installer's visible window that still answers.
# The framework may map and drop a window while it starts, so a found id is asked for
# its geometry before it counts.
find_window() {
    local candidate
    window=""
    for candidate in $(xdotool search --onlyvisible --name '^vx_installer$' 2>/dev/null); do
        if xdotool getwindowgeometry "$candidate" >/dev/null 2>&1; then
            window=$candidate
            return 0
        fi
    done
    return 1
}

# wait_for_window SECONDS: find_window until it succeeds, then time for the first paint.
wait_for_window() {
    local tries=$(($1 * 10))
    for _ in $(seq 1 "$tries"); do
        if find_window; then
            sleep 0.5
            return 0
        fi
        sleep 0.1
    done
    echo "no window named vx_installer appeared" >&2
    return 1
}
