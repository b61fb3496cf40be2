# Sourced by everything that needs an X server of its own: start_xvfb and stop_xvfb.
# Xvfb picks a free display number itself (-displayfd), so parallel runs do not collide;
# -noreset keeps atoms made by one client alive for the next (tests/e2e/wm_stand_in).

XVFB_PID=""

# start_xvfb [LOG]: starts Xvfb (its output to LOG, default none), exports DISPLAY and
# sets XVFB_PID; fails when no display number arrives within 20 s.
start_xvfb() {
    local log=${1:-/dev/null} fifo number=""
    fifo=$(mktemp -u "${TMPDIR:-/tmp}/vx-xvfb.XXXXXX")
    mkfifo "$fifo" || return 1
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >"$log" 2>&1 &
    XVFB_PID=$!
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    [ -n "$number" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$number"
}

# stop_xvfb: ends the server start_xvfb started, if any.
stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
