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
# Adding a check: write a function check_<name> in window_checks.sh that returns non-zero
# (after printing why) on failure and append "<name>" to the list of the start it belongs
# to below. Checks run in order against the one running program, in this shell, so they
# can hand state on. Helpers for checks (window_helpers.sh, check_runner.sh): wait_for, screenshot, window_id, wine_path,
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

# shellcheck source=window_helpers.sh
source "$HERE/window_helpers.sh"
# shellcheck source=window_checks.sh
source "$HERE/window_checks.sh"

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
