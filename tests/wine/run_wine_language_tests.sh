#!/usr/bin/env bash
# The user's language under Wine, on a fresh prefix and a private Xvfb: with LANG set to
# German or Japanese the window shows its texts in that language (read back from a
# screenshot by tesseract's German and Japanese models), and the command line with
# /lang=fr prints French and the same JSON as English.
#
#   tests/wine/run_wine_language_tests.sh <vx_installer.exe> <artefacts-folder>
#
# Wine takes its display language from LANG only for a locale the system has (Debian's
# locales-all). The screenshots german-main.png and japanese-main.png stay in the
# artefacts. Prints PASS/FAIL per check and a closing "N passed, N failed" line; exits
# non-zero when anything failed.
set -uo pipefail

usage="usage: $0 <vx_installer.exe> <artefacts-folder>"
# shellcheck source=stage_setup.sh
source "$(dirname "$0")/stage_setup.sh"
stage_arguments "${1:?$usage}" "${2:?$usage}"
require_tools wine wineboot wineserver Xvfb xdotool import convert tesseract timeout tar locale

# shellcheck source=window_stage.sh
source "$(dirname "$0")/window_stage.sh"

# capture_window NAME: the window, cut out of a screenshot, as $ARTEFACTS/NAME.png; fails
# while it shows no content yet or is still being drawn (two shots in a row differ).
capture_window() {
    local status=1
    window_shows_content "$1-first" && sleep 0.3 && window_shows_content "$1-second" &&
        same_image "$WORK/$1-first.png" "$WORK/$1-second.png" && mv "$WORK/$1-second.png" "$ARTEFACTS/$1.png" &&
        status=0
    rm -f "$ARTEFACTS/$1-first.png" "$ARTEFACTS/$1-second.png"
    return $status
}

# screen_in LOCALE NAME: starts the window with LANG=LOCALE, keeps the window's screenshot
# as $ARTEFACTS/NAME.png and closes it again.
screen_in() {
    start_window LANG="$1" || return 1
    # Kept once painted: the window is not one flat colour.
    wait_for 30 capture_window "$2" || { echo "the window stays blank"; return 1; }
    stop_window
}

# read_back NAME MODEL: the text tesseract reads in $ARTEFACTS/NAME.png (light text on dark,
# so inverted and enlarged first), also kept as NAME.txt.
read_back() {
    convert "$ARTEFACTS/$1.png" -negate -resize 200% "$WORK/$1-ocr.png" &&
        tesseract "$WORK/$1-ocr.png" - -l "$2" 2>/dev/null | tee "$ARTEFACTS/$1.txt"
}

check_german_main_screen() {
    locale -a | grep -i '^de_DE.utf-\?8$' >/dev/null || { echo "no de_DE.UTF-8 locale (package locales-all)"; return 1; }
    screen_in de_DE.UTF-8 german-main || return 1
    local text
    text="$(read_back german-main deu)"
    [[ "$text" == *FORMATE* && "$text" == *"NICHT INSTALLIERT"* ]] ||
        { echo "German words not read back: $(tr '\n' ' ' <<<"$text")"; return 1; }
}

check_japanese_main_screen() {
    locale -a | grep -i '^ja_JP.utf-\?8$' >/dev/null || { echo "no ja_JP.UTF-8 locale (package locales-all)"; return 1; }
    screen_in ja_JP.UTF-8 japanese-main || return 1
    local text
    text="$(read_back japanese-main jpn)"
    # Tesseract may put spaces between the characters.
    text="${text// /}"
    [[ "$text" == *未導入* && "$text" == *デモ* ]] ||
        { echo "Japanese words not read back: $(tr '\n' ' ' <<<"$text")"; return 1; }
}

check_french_command_line_and_the_same_json() {
    (cd "$WORK/cwd" && timeout 120 wine "$EXE" /lang=fr /status) >"$ARTEFACTS/french-status.txt" 2>&1 ||
        { echo "exit status $?"; return 1; }
    grep -q 'Fichier de paramètres' "$ARTEFACTS/french-status.txt" ||
        { echo "not French: $(head -c 300 "$ARTEFACTS/french-status.txt")"; return 1; }
    (cd "$WORK/cwd" && timeout 120 wine "$EXE" /lang=fr /status /json) >"$WORK/french.json" 2>/dev/null
    (cd "$WORK/cwd" && LANG=C.UTF-8 timeout 120 wine "$EXE" /status /json) >"$WORK/english.json" 2>/dev/null
    cmp -s "$WORK/french.json" "$WORK/english.json" || { echo "the JSON reports differ"; return 1; }
    (cd "$WORK/cwd" && timeout 120 wine "$EXE" /lang=xx /status) >/dev/null 2>&1
    local status=$?
    [[ $status == 2 ]] || { echo "an unknown language exits $status, not 2"; return 1; }
}

CHECKS=(german_main_screen japanese_main_screen french_command_line_and_the_same_json)

start_wine_xvfb || setup_failed "Xvfb did not start (see $ARTEFACTS/xvfb.log)"
make_prefix || setup_failed "no Wine prefix: wineboot --init failed or timed out (see $ARTEFACTS/wineboot.log)"
mkdir -p "$DRIVE_C/ProgramData/Audio Tarvosk"
run_checks "" "${CHECKS[@]}"
finish
