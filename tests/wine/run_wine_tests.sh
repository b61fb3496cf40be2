#!/usr/bin/env bash
# Runs the Windows build of vx_installer under Wine on a private X server and checks
# it from the outside, as a user would see it: windows, files and screenshots. The one
# test hook: the program writes its info label's text after each run to the file that
# VX_TEST_INFO_LABEL_FILE names.
#
#   tests/wine/run_wine_tests.sh [--quick] <vx_installer.exe> <artefacts-folder> [<linux vx_installer>]
#
# --quick makes only the second start below, with its first checks and the closing one
# (window, settings file, a CLAP install and uninstall, Alt+F4): enough to show that a
# variant of an executable tested in full (a signed copy, say) starts and installs.
#
# One fresh Wine prefix (unpacked from a cached `wineboot --init` template) and one Xvfb
# on a free display serve three program starts, in this order:
#   1. under Wine, without the maker folder C:\ProgramData\Audio Tarvosk;
#   2. under Wine, with the maker folder created beforehand: settings file, installs and
#      uninstalls through the window, module versions read by Wine;
#   3. the Linux build (when given) on the same prefix: same settings, same install state.
# Both are torn down on exit, whatever happens. Screenshots and the programs' output
# land in the artefacts folder.
#
# Adding a check: write a function check_<name> that returns non-zero (after printing
# why) on failure and append "<name>" to the list of the start it belongs to below.
# Checks run in order against the one running program, in this shell, so they can hand
# state on. Helpers for checks: wait_for, screenshot, window_id, wine_path,
# window_geometry, crop_window, window_colours, window_shows_content, click_control,
# shift_click_control, caption, wait_for_rows, and the variables WINEPREFIX, DRIVE_C,
# ARTEFACTS, WORK (scratch), APP_WINDOW, APP_PID.
#
# Prints PASS/FAIL per check and a closing "N passed, N failed" line; exits non-zero
# when anything failed.
set -uo pipefail

WINE_FIRST_START_CHECKS=(
    window_appears window_is_painted repaints_after_resize no_settings_file_without_maker_folder
    closes_with_alt_f4)
WINE_SECOND_START_CHECKS=(
    window_appears settings_file_written clap_click_installs clap_held_open_fails_and_says_why
    shift_click_uninstalls_clap
    select_all_installs_every_format wine_reads_module_versions shift_click_uninstalls_aax
    closes_with_alt_f4)
NATIVE_START_CHECKS=(window_appears native_keeps_settings_file native_shows_same_install_state)
QUICK_START_CHECKS=(
    window_appears window_is_painted settings_file_written clap_click_installs shift_click_uninstalls_clap
    closes_with_alt_f4)

LOCK_CHECKS=(bundle_lock_holds_between_the_two_builds)

QUICK=0
if [[ "${1:-}" == --quick ]]; then
    QUICK=1
    shift
fi
usage="usage: $0 [--quick] <vx_installer.exe> <artefacts-folder> [<linux vx_installer> [<linux vx_lock_helper>]]"
EXE="${1:?$usage}"
ARTEFACTS="${2:?$usage}"
NATIVE_EXE="${3:-}"
LOCK_HELPER="${4:-}"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
[[ -f "$EXE" ]] || { echo "run_wine_tests: no such file: $EXE" >&2; exit 2; }
[[ -z "$NATIVE_EXE" || -f "$NATIVE_EXE" ]] || { echo "run_wine_tests: no such file: $NATIVE_EXE" >&2; exit 2; }
EXE="$(absolute "$EXE")"
[[ -z "$NATIVE_EXE" ]] || NATIVE_EXE="$(absolute "$NATIVE_EXE")"
[[ -z "$LOCK_HELPER" || -f "$LOCK_HELPER" ]] || { echo "run_wine_tests: no such file: $LOCK_HELPER" >&2; exit 2; }
[[ -z "$LOCK_HELPER" ]] || LOCK_HELPER="$(absolute "$LOCK_HELPER")"
HERE="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$ARTEFACTS" || exit 2
ARTEFACTS="$(cd "$ARTEFACTS" && pwd)"
rm -f "$ARTEFACTS"/*.png "$ARTEFACTS"/*.log "$ARTEFACTS"/*.txt

for tool in wine wineboot wineserver Xvfb xdotool import convert compare timeout tar \
    x86_64-w64-mingw32-gcc-posix; do
    command -v "$tool" >/dev/null || {
        echo "run_wine_tests: '$tool' not found (packages wine wine64 xvfb xdotool imagemagick" \
            "gcc-mingw-w64-x86-64-posix; tools/install-deps.sh windows)" >&2
        exit 2
    }
done

# Timeouts in seconds.
WINDOW_TIMEOUT=60
EXIT_TIMEOUT=30
FILE_TIMEOUT=30
ROWS_TIMEOUT=15

WORK="$(mktemp -d "${TMPDIR:-/tmp}/vx-wine-tests.XXXXXX")"
# shellcheck source=wine_session.sh
source "$(dirname "$0")/wine_session.sh"
# shellcheck source=check_runner.sh
source "$(dirname "$0")/check_runner.sh"
export VX_TEST_INFO_LABEL_FILE='C:\vx-info-label.txt'
# The programs run here: a path wrongly resolved against the working folder lands in it.
mkdir -p "$WORK/cwd"
APP_PID=""
APP_WINDOW=""
START_TIME=$SECONDS

cleanup() {
    if [[ -n "$APP_PID" ]] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null
    fi
    stop_wine_session
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---------------------------------------------------------------------------------------
# What the program is expected to write and install

MAKER_FOLDER='C:\ProgramData\Audio Tarvosk'
SETTINGS_FILE='C:\ProgramData\Audio Tarvosk\PluginManagerSettings.txt'

# The settings file a first start writes, byte for byte.
EXPECTED_SETTINGS="$HERE/../fixtures/default-settings.txt"

# Bundles and the plug-in modules inside them, per format, at the default folders.
declare -A BUNDLES=(
    [VST3]='C:\Program Files\Common Files\VST3\Ostrand.vst3'
    [CLAP]='C:\Program Files\Common Files\CLAP\Ostrand.clap'
    [AAX]='C:\Program Files\Common Files\Avid\Audio\Plug-Ins\Ostrand.aaxplugin')
declare -A MODULES=(
    [VST3]="${BUNDLES[VST3]}"'\Contents\x86_64-win\Ostrand.vst3'
    [CLAP]="${BUNDLES[CLAP]}"
    [AAX]="${BUNDLES[AAX]}"'\Contents\x64\Ostrand.aaxplugin')
MODULE_VERSION=1.2.0.0

# ---------------------------------------------------------------------------------------
# Helpers

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

# ---------------------------------------------------------------------------------------
# Checks against the running program

check_window_appears() {
    local id=""
    wait_for "$WINDOW_TIMEOUT" eval 'id="$(window_id)"; [[ -n "$id" ]]' || {
        echo "no visible window named vx_installer within ${WINDOW_TIMEOUT} s"
        kill -0 "$APP_PID" 2>/dev/null || echo "(the program has exited; see $ARTEFACTS/*-output.log)"
        return 1
    }
    APP_WINDOW="$id"
}

# The first frame is drawn: the window is not one flat colour. The screenshot
# main-window.png is the artefact that shows it.
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
    wait_for 10 eval '[[ "$(window_geometry)" == "$x $y $w $h" ]]' ||
        { echo "window did not grow back to ${w}x${h}: $(window_geometry)"; return 1; }
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

# Without the maker folder the program writes no settings file, creates no folder for
# it and writes none elsewhere. (The window is up, so the start-up load has run.)
check_no_settings_file_without_maker_folder() {
    local maker stray
    maker="$(wine_path "$MAKER_FOLDER")"
    [[ ! -e "$maker" ]] || { echo "the program created $MAKER_FOLDER"; return 1; }
    stray="$(find "$DRIVE_C" "$WORK/cwd" -name 'PluginManagerSettings*' 2>/dev/null)"
    [[ -z "$stray" ]] || { echo "settings file written without the maker folder: $stray"; return 1; }
}

# With the maker folder there and no settings file, the first start writes it, byte
# for byte as the fixture holds it.
check_settings_file_written() {
    local file
    file="$(wine_path "$SETTINGS_FILE")"
    wait_for 5 test -f "$file" || { echo "no $SETTINGS_FILE"; return 1; }
    cp "$file" "$ARTEFACTS/PluginManagerSettings.txt"
    cmp "$EXPECTED_SETTINGS" "$file" || {
        echo "$SETTINGS_FILE differs from the expected bytes; written (cat -A):"
        cat -A "$file" | cut -c 1-100
        return 1
    }
}

# Click CLAP (selects it), click INSTALL: the CLAP bundle appears and its row turns blue.
check_clap_click_installs() {
    require_600 || return 1
    click_control CLAP && click_control INSTALL
    wait_for "$FILE_TIMEOUT" test -f "$(wine_path "${BUNDLES[CLAP]}")" ||
        { echo "no ${BUNDLES[CLAP]} ${FILE_TIMEOUT} s after INSTALL"; return 1; }
    wait_for_rows clap-installed "VST3=grey CLAP=blue AAX=grey"
}

# info_label_after CLICK...: runs the click command (click_control INSTALL, for example)
# and prints the info label's text once the run has written it.
info_label_after() {
    local file
    file="$(wine_path "$VX_TEST_INFO_LABEL_FILE")"
    rm -f "$file"
    "$@" || return 1
    wait_for "$FILE_TIMEOUT" test -f "$file" || { echo "(no info label text written)"; return 1; }
    sleep 0.2
    tr -d '\r' <"$file"
}

# A host holds the installed Ostrand.clap open without sharing (hold_open.c): CLAP and
# INSTALL fail, and so does the shift-click that uninstalls; the info label says why, and
# the old bundle stays byte for byte. Once the host lets go, the same clicks install.
check_clap_held_open_fails_and_says_why() {
    require_600 || return 1
    local helper="$WORK/hold_open.exe" bundle before label inode expected
    bundle="$(wine_path "${BUNDLES[CLAP]}")"
    expected="CLAP failed: Ostrand.clap is in use by another program. Close it and click INSTALL again."
    x86_64-w64-mingw32-gcc-posix -municode -O2 -Wall -o "$helper" "$HERE/hold_open.c" ||
        { echo "cannot build $HERE/hold_open.c"; return 1; }
    before="$(sha256sum <"$bundle")" || { echo "no ${BUNDLES[CLAP]} to hold"; return 1; }
    inode="$(stat -c %i "$bundle")"
    rm -f "$DRIVE_C/hold-ready" "$DRIVE_C/hold-release"
    (cd "$WORK/cwd" && exec wine "$helper" "${BUNDLES[CLAP]}" 'C:\hold-ready' 'C:\hold-release') \
        >>"$ARTEFACTS/hold-open.log" 2>&1 &
    local holder=$!
    wait_for "$FILE_TIMEOUT" test -f "$DRIVE_C/hold-ready" ||
        { echo "hold_open.exe did not open the bundle (see $ARTEFACTS/hold-open.log)"; kill "$holder"; return 1; }

    local status=0
    click_control CLAP
    label="$(info_label_after click_control INSTALL)" || status=1
    screenshot clap-in-use >/dev/null
    [[ "$label" == "$expected" ]] || { echo "label reads '$label', expected '$expected'"; status=1; }
    [[ "$(sha256sum <"$bundle")" == "$before" && "$(stat -c %i "$bundle")" == "$inode" ]] ||
        { echo "the held bundle was changed"; status=1; }
    [[ -z "$(find "$(dirname "$bundle")" -name '*.vx-*')" ]] || { echo "work names left behind"; status=1; }

    click_control CLAP
    label="$(info_label_after shift_click_control INSTALL)" || status=1
    expected="${expected/click INSTALL/shift-click INSTALL}"
    [[ "$label" == "$expected" ]] || { echo "after the shift-click the label reads '$label', expected '$expected'"; status=1; }
    [[ "$(sha256sum <"$bundle")" == "$before" ]] || { echo "the held bundle was changed by the uninstall"; status=1; }

    touch "$DRIVE_C/hold-release"
    wait "$holder" || { echo "hold_open.exe failed (see $ARTEFACTS/hold-open.log)"; status=1; }
    click_control CLAP
    label="$(info_label_after click_control INSTALL)" || status=1
    [[ "$label" != CLAP\ failed* ]] || { echo "after the host let go the label still reads '$label'"; status=1; }
    [[ "$(stat -c %i "$bundle")" != "$inode" && "$(sha256sum <"$bundle")" == "$before" ]] ||
        { echo "the second INSTALL did not replace the bundle"; status=1; }
    wait_for_rows clap-reinstalled "VST3=grey CLAP=blue AAX=grey" || status=1
    return $status
}

# Select CLAP again and shift-click INSTALL: the bundle goes, the row turns grey.
check_shift_click_uninstalls_clap() {
    require_600 || return 1
    click_control CLAP && shift_click_control INSTALL
    wait_for "$FILE_TIMEOUT" eval '[[ ! -e "$(wine_path "${BUNDLES[CLAP]}")" ]]' ||
        { echo "${BUNDLES[CLAP]} still there ${FILE_TIMEOUT} s after a shift-click on INSTALL"; return 1; }
    wait_for_rows clap-uninstalled "VST3=grey CLAP=grey AAX=grey"
}

# SELECT ALL, INSTALL: every format's module is there and every row is blue.
check_select_all_installs_every_format() {
    require_600 || return 1
    click_control SELECT_ALL && click_control INSTALL
    local format missing
    for format in VST3 CLAP AAX; do
        wait_for "$FILE_TIMEOUT" test -f "$(wine_path "${MODULES[$format]}")" || missing+=" ${MODULES[$format]}"
    done
    [[ -z "${missing:-}" ]] || { echo "not installed:$missing"; return 1; }
    wait_for_rows all-installed "VST3=blue CLAP=blue AAX=blue"
}

# Wine's GetFileVersionInfoW/VerQueryValueW read the version of every installed module:
# a check of the modules' version resources by a reader that is not the program's.
check_wine_reads_module_versions() {
    local probe="$WORK/file_version.exe" format paths=() versions expected=""
    x86_64-w64-mingw32-gcc-posix -municode -O2 -Wall -o "$probe" "$HERE/file_version.c" -lversion ||
        { echo "cannot build $HERE/file_version.c"; return 1; }
    for format in VST3 CLAP AAX; do
        paths+=("${MODULES[$format]}")
        expected+="$MODULE_VERSION"$'\n'
    done
    versions="$(cd "$WORK/cwd" && timeout 60 wine "$probe" "${paths[@]}" | tr -d '\r')" ||
        { echo "file_version.exe failed: got '$versions'"; return 1; }
    [[ "$versions"$'\n' == "$expected" ]] ||
        { echo "Wine reads versions '${versions//$'\n'/ }' for ${paths[*]}, expected $MODULE_VERSION each"; return 1; }
}

# Leaves a mixed state for the Linux build to show: VST3 and CLAP installed, AAX not.
check_shift_click_uninstalls_aax() {
    require_600 || return 1
    click_control AAX && shift_click_control INSTALL
    wait_for "$FILE_TIMEOUT" eval '[[ ! -e "$(wine_path "${BUNDLES[AAX]}")" ]]' ||
        { echo "${BUNDLES[AAX]} still there ${FILE_TIMEOUT} s after a shift-click on INSTALL"; return 1; }
    [[ -f "$(wine_path "${MODULES[VST3]}")" && -f "$(wine_path "${MODULES[CLAP]}")" ]] ||
        { echo "uninstalling AAX removed another format"; return 1; }
    wait_for_rows wine-final "VST3=blue CLAP=blue AAX=grey" || return 1
    WINE_FINAL_ROWS="$ROWS_SEEN"
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

# The Linux build reads the settings file the Windows program wrote and leaves it as it
# is: same bytes, same modification time.
check_native_keeps_settings_file() {
    local after
    after="$(settings_fingerprint)" || { echo "$SETTINGS_FILE is gone"; return 1; }
    [[ "$after" == "$SETTINGS_BEFORE_NATIVE" ]] ||
        { echo "settings file changed: before '$SETTINGS_BEFORE_NATIVE', after '$after'"; return 1; }
}

# The Linux build shows the install state the Windows program left: the same rows blue.
check_native_shows_same_install_state() {
    [[ -n "${WINE_FINAL_ROWS:-}" ]] || { echo "no final rows from the run under Wine to compare with"; return 1; }
    require_600 || return 1
    wait_for_rows native "$WINE_FINAL_ROWS"
}

# A bundle's lock taken as the Windows program takes it (tests/wine/lock_holder.c) holds
# off an install by the Linux build on the same prefix, which fails with its reason; and
# the Linux build's lock (vx_lock_helper, held inside its install) holds off the Windows
# side. The lock file goes with the lock.
check_bundle_lock_holds_between_the_two_builds() {
    local holder="$WORK/lock_holder.exe" folder="$DRIVE_C/LockTest" lock out holder_pid linux_pid
    lock="$folder/.Ostrand.clap.vx-lock"
    x86_64-w64-mingw32-gcc-posix -municode -O2 -Wall -o "$holder" "$HERE/lock_holder.c" ||
        { echo "cannot build $HERE/lock_holder.c"; return 1; }
    mkdir -p "$folder"

    wine "$holder" 'C:\LockTest\.Ostrand.clap.vx-lock' 'C:\LockTest\go' >"$WORK/holder.out" 2>/dev/null &
    holder_pid=$!
    if ! wait_for 60 grep -q held "$WORK/holder.out"; then
        kill "$holder_pid" 2>/dev/null
        echo "the Windows side never took the lock: $(cat "$WORK/holder.out")"
        return 1
    fi
    out="$(timeout 60 "$LOCK_HELPER" 1 "$folder" "$WORK/ready-1" "$WORK/go-1" 2>&1)"
    local code=$?
    touch "$folder/go"
    wait "$holder_pid"
    ((code == 1)) || { echo "the Linux build installed while the Windows side held the lock ($code: $out)"; return 1; }
    [[ "$out" == *"another installer is working on Ostrand.clap"* ]] || { echo "wrong reason: $out"; return 1; }
    [[ ! -e "$lock" ]] || { echo "the Windows side left its lock file"; return 1; }
    rm -f "$folder/go"

    timeout 60 "$LOCK_HELPER" 1 "$folder" "$WORK/ready-2" "$WORK/go-2" >"$WORK/linux-lock.out" 2>&1 &
    linux_pid=$!
    if ! wait_for 60 test -e "$WORK/ready-2"; then
        kill "$linux_pid" 2>/dev/null
        echo "the Linux build never got inside its install: $(cat "$WORK/linux-lock.out")"
        return 1
    fi
    out="$(timeout 60 wine "$holder" 'C:\LockTest\.Ostrand.clap.vx-lock' 'C:\LockTest\go' 2>/dev/null)"
    touch "$WORK/go-2"
    wait "$linux_pid" || { echo "the Linux install failed: $(cat "$WORK/linux-lock.out")"; return 1; }
    [[ "$out" == busy* ]] || { echo "the Windows side got the lock the Linux build held: $out"; return 1; }
    [[ -f "$folder/Ostrand.clap" && ! -e "$lock" ]] || { echo "no bundle, or a lock file left"; return 1; }
    rm -rf "$folder"
}

# ---------------------------------------------------------------------------------------
# Runner

# stop_program: ends the program if a check left it running.
stop_program() {
    if [[ -n "$APP_PID" ]]; then
        kill "$APP_PID" 2>/dev/null
        wait "$APP_PID" 2>/dev/null
    fi
    APP_PID=""
    APP_WINDOW=""
    wait_for 10 eval '[[ -z "$(window_id)" ]]'
}

start_under_wine() {
    echo "--- start under Wine: $1" >>"$ARTEFACTS/wine-output.log"
    (cd "$WORK/cwd" && exec wine "$EXE") >>"$ARTEFACTS/wine-output.log" 2>&1 &
    APP_PID=$!
}

# The prefix: unpacked from a template made once per Wine version with `wineboot --init`
# and kept as a tar in the cache (making one takes about 12 s, unpacking about 2 s).

# X server on a free display, chosen by the server itself.
start_wine_xvfb || setup_failed "Xvfb did not start (see $ARTEFACTS/xvfb.log)"

make_prefix || setup_failed "no Wine prefix: wineboot --init failed or timed out (see $ARTEFACTS/wineboot.log)"
[[ -d "$DRIVE_C/ProgramData" ]] || setup_failed "no drive_c/ProgramData in $WINEPREFIX"
echo "run_wine_tests: prefix ready after $((SECONDS - START_TIME)) s"

if ((QUICK)); then
    mkdir -p "$(wine_path "$MAKER_FOLDER")"
    start_under_wine "quick, maker folder there"
    run_checks "wine, quick" "${QUICK_START_CHECKS[@]}"
    stop_program
    finish
fi

start_under_wine "no maker folder"
run_checks "wine, no maker folder" "${WINE_FIRST_START_CHECKS[@]}"
stop_program

mkdir -p "$(wine_path "$MAKER_FOLDER")"
start_under_wine "maker folder there"
run_checks "wine, maker folder" "${WINE_SECOND_START_CHECKS[@]}"
stop_program

if [[ -n "$NATIVE_EXE" ]]; then
    SETTINGS_BEFORE_NATIVE="$(settings_fingerprint)"
    (cd "$WORK/cwd" && exec "$NATIVE_EXE") >"$ARTEFACTS/native-output.log" 2>&1 &
    APP_PID=$!
    run_checks "linux build, same prefix" "${NATIVE_START_CHECKS[@]}"
    stop_program
else
    echo "SKIP [linux build, same prefix]: no Linux build given"
fi
if [[ -n "$LOCK_HELPER" ]]; then
    run_checks "both builds, one bundle" "${LOCK_CHECKS[@]}"
else
    echo "SKIP [both builds, one bundle]: no vx_lock_helper given"
fi
finish
