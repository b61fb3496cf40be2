# Sourced by the scripts that click the window or read its pixels: where the controls and
# painted areas are, in units of u (the window's width / 100; 600 x 600 gives u = 6), as
# the main screen and its panels lay them out: "left top width height".
declare -A CONTROL_UNITS=(
    # The main screen.
    [SELECT_ALL]="80 22.5 16 4"
    [VST3]="4 30 45 10"
    [CLAP]="51 30 45 10"
    [AAX]="4 42 45 10"
    [EULA]="4 73.5 10 10"
    [MANUAL]="15.5 73.5 10 10"
    [WEBSITE]="27 73.5 10 10"
    [SUPPORT]="38.5 73.5 10 10"
    [INSTALL]="86 73.5 10 10"
    # INSTALL's caption (INSTALL or UNINSTALL), painted below its tile.
    [INSTALL_CAPTION]="82.5 83.5 17 4"
    # The place a fourth format row would take: no control is there.
    [NO_CONTROL]="51 42 45 10"
    # The result card and its icon.
    [RESULT_CARD]="35 35 30 30"
    [RESULT_ICON]="43 43 14 14"
    # The licence and support panels.
    [PANEL_CLOSE]="88 1.5 8 8"
    [LICENCE_TEXT]="4 12 92 80"
    [DISCORD]="10 15 10 10"
    [MAIL]="10 35 10 10"
    [ABOUT_TEXT]="10 65 80 30"
)

# control_rect NAME WIDTH: the rectangle "X Y W H" in pixels of a window WIDTH wide, each
# rounded to the nearest integer, ties to even, as the layout rounds.
control_rect() {
    local units=${CONTROL_UNITS[$1]:?"no control named '$1'"}
    awk -v width="$2" -v units="$units" 'BEGIN {
        split(units, v, " ")
        for (i = 1; i <= 4; i++) printf "%s%.0f", (i > 1 ? " " : ""), v[i] * width / 100
        print ""
    }'
}

# control_point NAME WIDTH [DX DY]: a point "X Y" in the window, DX and DY units right of
# and below the control's top-left corner (negative: left of or above it); the control's
# centre when they are left out.
control_point() {
    local units=${CONTROL_UNITS[$1]:?"no control named '$1'"}
    awk -v width="$2" -v units="$units" -v dx="${3:-}" -v dy="${4:-}" 'BEGIN {
        split(units, v, " ")
        if (dx == "") dx = v[3] / 2
        if (dy == "") dy = v[4] / 2
        u = width / 100
        printf "%.0f %.0f\n", (v[1] + dx) * u, (v[2] + dy) * u
    }'
}

# control_crop NAME WIDTH [DX DY W H]: an ImageMagick geometry "WxH+X+Y" of the part of
# the control DX, DY units from its top-left corner and W x H units large; the whole
# control when they are left out.
control_crop() {
    local units=${CONTROL_UNITS[$1]:?"no control named '$1'"}
    awk -v width="$2" -v units="$units" -v part="${3:-} ${4:-} ${5:-} ${6:-}" 'BEGIN {
        split(units, v, " ")
        if (split(part, p, " ") < 4) { p[1] = 0; p[2] = 0; p[3] = v[3]; p[4] = v[4] }
        u = width / 100
        printf "%.0fx%.0f+%.0f+%.0f\n", p[3] * u, p[4] * u, (v[1] + p[1]) * u, (v[2] + p[2]) * u
    }'
}
