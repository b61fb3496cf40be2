# Sourced by the end-to-end scripts that drive the real window on the display
# run-with-xvfb.sh gives them: a scratch Wine prefix that goes on exit, the installer
# (`app_pid`, set by the caller once started) ended on exit, and the check helpers. The
# caller sets `artefacts` (emptied of old screenshots here) and, once the window is
# there, `window`.

[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: run under tests/support/run-with-xvfb.sh" >&2; exit 2; }
mkdir -p "$artefacts"
rm -f "$artefacts"/*.png

# shellcheck source=controls.sh
source "$(dirname "${BASH_SOURCE[0]}")/controls.sh"
# shellcheck source=window.sh
source "$(dirname "${BASH_SOURCE[0]}")/window.sh"

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
mkdir -p "$WINEPREFIX/drive_c"

app_pid=""
stop() {
    local status=$?
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap stop EXIT

failures=0
# check WHAT COMMAND...: reports the outcome of one check and counts the failures.
check() {
    local what=$1
    shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

# within SECONDS COMMAND...: true as soon as the command succeeds, false after SECONDS.
within() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# Screenshot of the window's client area into the artefact folder as $1.png.
shoot() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$artefacts/$1.png"
}

# pixel_near SHOT X Y R G B [TOLERANCE]: the shot's pixel at (X, Y) within TOLERANCE
# (default 3) levels of R G B.
pixel_near() {
    local r g b t=${7:-3}
    read -r r g b <<<"$(convert "$artefacts/$1.png" -format \
        "%[fx:round(255*p{$2,$3}.r)] %[fx:round(255*p{$2,$3}.g)] %[fx:round(255*p{$2,$3}.b)]" info:)"
    if ((r - $4 <= t && $4 - r <= t && g - $5 <= t && $5 - g <= t && b - $6 <= t && $6 - b <= t)); then
        return 0
    fi
    echo "     pixel ($2, $3) of $1.png is $r $g $b, expected $4 $5 $6"
    return 1
}


# window_width: the window's width in pixels, which the control positions scale with.
window_width() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "$WIDTH"
}

# at NAME [DX DY]: control_point in the window as it is now.
at() { control_point "$1" "$(window_width)" "${@:2}"; }
