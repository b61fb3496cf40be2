# Sourced by run_wine_tests.sh: what its checks use to look at and drive the program's
# window (screenshots, the window's geometry, clicks through the control table, the
# INSTALL caption, the format rows' fills) and the settings file's fingerprint.

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

# The program's window as "X Y W H" (root coordinates). Xvfb runs no window manager, so
# the window is the client area.
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

# shellcheck source=../e2e/controls.sh
source "$HERE/../e2e/controls.sh"

# window_width: the window's width, which the control positions scale with.
window_width() {
    local x y w h
    read -r x y w h <<<"$(window_geometry)" && echo "$w"
}

# require_600: the window is at the size it opens with, 600 x 600 (no check left it resized).
require_600() {
    [[ -n "$APP_WINDOW" ]] || { echo "no window"; return 1; }
    local x y w h
    read -r x y w h <<<"$(window_geometry)"
    [[ "${w}x${h}" == 600x600 ]] || { echo "window is ${w}x${h}, expected 600x600"; return 1; }
}

# click_control NAME: a left click in the middle of a control.
click_control() {
    local x y
    read -r x y <<<"$(control_point "$1" "$(window_width)")"
    xdotool mousemove --window "$APP_WINDOW" "$x" "$y" && sleep 0.2 && xdotool click 1 && sleep 0.2
}

# caption NAME: a screenshot in $WORK/NAME-screen.png and the window's INSTALL (or
# UNINSTALL) caption cut out of it to $WORK/NAME-caption.png.
caption() {
    import -window root "$WORK/$1-screen.png" 2>>"$ARTEFACTS/import.log" &&
        crop_window "$WORK/$1-screen.png" "$WORK/$1.png" &&
        convert "$WORK/$1.png" -crop "$(control_crop INSTALL_CAPTION "$(window_width)")" +repage "$WORK/$1-caption.png"
}

same_image() { [[ "$(compare -metric AE "$1" "$2" null: 2>&1)" == 0 ]]; }

# steady_caption NAME: the caption looks the same in two screenshots in a row (nothing is
# fading over it); leaves it in $WORK/NAME-caption.png.
steady_caption() {
    caption "$1-first" && sleep 0.2 && caption "$1" &&
        same_image "$WORK/$1-first-caption.png" "$WORK/$1-caption.png"
}

# caption_differs NAME REFERENCE / caption_matches NAME REFERENCE: a steady caption,
# unlike or like the caption image REFERENCE.
caption_differs() { steady_caption "$1" && ! same_image "$WORK/$1-caption.png" "$2"; }
caption_matches() { steady_caption "$1" && same_image "$WORK/$1-caption.png" "$2"; }

# shift_click_control NAME: a click on a control with shift held. The program follows
# shift through key events, which reach the focused window only, and the component
# under the pointer: so the window gets the focus and the pointer rests on it when shift
# goes down. The INSTALL caption must change while shift is held (to UNINSTALL) and be
# back once shift is released: the next plain click installs again.
shift_click_control() {
    local x y status=0
    # Where no control is: the pointer rests there while shift is down.
    read -r x y <<<"$(control_point NO_CONTROL "$(window_width)")"
    xdotool windowfocus --sync "$APP_WINDOW" 2>/dev/null || xdotool windowfocus "$APP_WINDOW"
    xdotool mousemove --window "$APP_WINDOW" "$x" "$y"
    wait_for 10 steady_caption shift-up || { echo "the INSTALL caption does not settle"; return 1; }
    cp "$WORK/shift-up-caption.png" "$WORK/install-caption.png"

    xdotool keydown shift
    wait_for 5 caption_differs shift-down "$WORK/install-caption.png" || {
        echo "the caption stays INSTALL while shift is held: the key does not reach the program"
        status=1
    }
    cp "$WORK/shift-down-screen.png" "$ARTEFACTS/shift-held.png" 2>/dev/null
    click_control "$1" || status=1
    xdotool keyup shift

    xdotool mousemove --window "$APP_WINDOW" "$x" "$y"
    wait_for 10 caption_matches shift-released "$WORK/install-caption.png" || {
        echo "the caption is not INSTALL again after shift was released"
        status=1
    }
    return $status
}

# The pointer off the window, so that no control shows its hover state.
park_pointer() { xdotool mousemove 0 0; }

# fill_kind R G B: "blue" for the fill of an installed format's row, #0094d8 (opaque
# under the pointer, else at 85 % or more over the background #111111); "grey" for the
# translucent neutral grey of a format that is not installed; "other" for anything else
# (a row covered by a panel, or not painted).
fill_kind() {
    awk -v r="$1" -v g="$2" -v b="$3" '
        function near(value, want) { return value - want <= 6 && want - value <= 6 }
        BEGIN {
            for (a = 0.85; a <= 1.0001; a += 0.005)
                if (near(r, (1 - a) * 17) && near(g, a * 148 + (1 - a) * 17) && near(b, a * 216 + (1 - a) * 17)) {
                    print "blue"; exit
                }
            max = r > g ? (r > b ? r : b) : (g > b ? g : b)
            min = r < g ? (r < b ? r : b) : (g < b ? g : b)
            print (max - min <= 8 && min >= 40 && max <= 140) ? "grey" : "other"
        }'
}

# row_states IMAGE: what each format row shows in IMAGE (the window cut out of a screenshot), as
# "VST3=blue CLAP=grey AAX=grey". The fill is the most common colour at the row's right
# end, where neither icon nor text is drawn.
row_states() {
    local name colour states=() width
    width="$(convert "$1" -format '%w' info:)"
    for name in VST3 CLAP AAX; do
        colour="$(convert "$1" -crop "$(control_crop "$name" "$width" 35 2 8 6)" +repage -depth 8 -format '%c' \
            histogram:info:- | sort -rn | head -n 1 |
            sed -n 's/^[^(]*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p')"
        # shellcheck disable=SC2086 # three numbers
        states+=("$name=$(fill_kind ${colour:-0 0 0})")
    done
    echo "${states[*]}"
}

# rows_are NAME EXPECTED: screenshot NAME shows the rows EXPECTED; sets ROWS_SEEN.
ROWS_SEEN=""
rows_are() {
    local shot
    shot="$(screenshot "$1")" && crop_window "$shot" "$WORK/$1.png" || return 1
    ROWS_SEEN="$(row_states "$WORK/$1.png")"
    [[ "$ROWS_SEEN" == "$2" ]]
}

# wait_for_rows NAME EXPECTED: the window comes to show the rows EXPECTED (after a result
# panel has faded, for example); the last screenshot is kept as artefact NAME.
wait_for_rows() {
    park_pointer
    wait_for "$ROWS_TIMEOUT" rows_are "$1" "$2" && return 0
    echo "rows show '$ROWS_SEEN', expected '$2' (see $ARTEFACTS/$1.png)"
    return 1
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

# settings_fingerprint: size, modification time (ns) and hash of the settings file.
settings_fingerprint() {
    local file
    file="$(wine_path "$SETTINGS_FILE")"
    [[ -f "$file" ]] || return 1
    echo "$(stat -c '%s %y' "$file") $(sha256sum <"$file" | cut -d ' ' -f 1)"
}
