#!/usr/bin/env bash
# The installer runs elevated, often from a Downloads folder anyone can drop files into:
# it must never load a DLL planted beside it or in its working folder. This stage plants,
# for every DLL name the program loads, a DLL of that name whose DllMain leaves a marker
# file (planted_dll.c), beside a copy of the executable in a folder of its own and in the
# working folder, and makes Wine search as Windows does: Wine prefers its own builtin
# DLLs, Windows a DLL beside the program, and WINEDLLOVERRIDES=<names>=n,b gives Windows'
# order. Then:
#   - the command line installs all three formats, and the window installs CLAP through a
#     click, and no marker appears;
#   - a program built without the guard (dll_search_probe.c) loads every planted name by
#     bare name, as the framework does, and leaves every marker: the planting is seen.
#
#   tests/wine/run_wine_planted_dll_tests.sh <vx_installer.exe> <artefacts-folder>
#
# Which names: the executable's static imports (objdump -p) and the DLLs a
# WINEDEBUG=+loaddll trace of a window run and of a command-line run shows it loading,
# except those Windows never takes from beside a program: the KnownDLLs
# (tools/known-dlls.txt), and what the system DLLs themselves load while a process
# starts, before its first instruction. Windows takes the latter from System32 with their
# KnownDLLs; Wine keeps no such list and would search beside the program, so they are
# found by tracing a do-nothing program that imports the same system DLLs.
#
# Prints PASS/FAIL per check and a closing "N passed, N failed" line; exits non-zero when
# anything failed.
set -uo pipefail

usage="usage: $0 <vx_installer.exe> <artefacts-folder>"
HERE="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=stage_setup.sh
source "$HERE/stage_setup.sh"
stage_arguments "${1:?$usage}" "${2:?$usage}"
require_tools wine wineboot wineserver Xvfb xdotool import convert timeout tar \
    x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-objdump

WORK="$(mktemp -d "${TMPDIR:-/tmp}/vx-wine-planted.XXXXXX")"
# shellcheck source=wine_session.sh
source "$HERE/wine_session.sh"
# shellcheck source=check_runner.sh
source "$HERE/check_runner.sh"
# shellcheck source=window_helpers.sh
source "$HERE/window_helpers.sh"
APP_PID=""
APP_WINDOW=""
START_TIME=$SECONDS
BASE_OVERRIDES="$WINEDLLOVERRIDES"

cleanup() {
    [[ -n "$APP_PID" ]] && kill "$APP_PID" 2>/dev/null
    stop_wine_session
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

KNOWN_DLLS="$(grep -v '^#' "$HERE/../../tools/known-dlls.txt")"
CLAP_BUNDLE="$DRIVE_C/Program Files/Common Files/CLAP/Ostrand.clap"
BUNDLES=(
    'Program Files/Common Files/VST3/Ostrand.vst3'
    'Program Files/Common Files/CLAP/Ostrand.clap'
    'Program Files/Common Files/Avid/Audio/Plug-Ins/Ostrand.aaxplugin')

# Where the user saved the download, and where they started it from.
DOWNLOADS="$DRIVE_C/users/Public/Downloads/vx"
WORKING="$DRIVE_C/users/Public/Documents/vx-cwd"
MARKERS="$WORK/markers"
export VX_PLANTED_MARKERS="Z:${MARKERS//\//\\}"

# ---------------------------------------------------------------------------------------
# Helpers

# loaded_names TRACE: the DLLs the traced program's own process loaded (lower case, one a
# line). Its process is the one that loaded the program's executable.
loaded_names() {
    local pid
    pid="$(grep -m 1 -E 'Loaded L".*\\(vx_installer|baseline)\.exe"' "$1" | cut -d : -f 1)"
    [[ -n "$pid" ]] || return 1
    grep "^$pid:" "$1" | sed -n 's/.*Loaded L"\([^"]*\)".*/\1/p' | sed 's/.*\\//' | tr 'A-Z' 'a-z' |
        grep -E '\.(dll|drv)$' | sort -u
}

# static_imports PE: the DLLs the file imports (lower case, one a line).
static_imports() {
    x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u
}

# make_baseline: a program that imports one function of every KnownDLL the installer
# imports and does nothing; its trace is what starting such a process loads by itself.
make_baseline() {
    local source="$WORK/baseline.c" libs=() dll name
    echo 'int main(void) { return 0; }' >"$source"
    while read -r dll name; do
        grep -qxF "$dll" <<<"$KNOWN_DLLS" || continue
        echo "extern char __imp_$name; void *volatile keep_$name = &__imp_$name;" >>"$source"
        libs+=("-l${dll%.dll}")
    done < <(x86_64-w64-mingw32-objdump -p "$EXE" | awk '
        /DLL Name:/ { dll = tolower($3); first = 1; next }
        first && /^\t[ 0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $NF; first = 0 }')
    x86_64-w64-mingw32-gcc-posix -O2 -o "$WORK/baseline.exe" "$source" "${libs[@]}"
}

# run_cli NAME ARGS...: the program's command line from the working folder; status in
# RUN_STATUS, output in the artefacts.
run_cli() {
    local name="$1"
    shift
    (cd "$WORKING" && exec timeout "$RUN_TIMEOUT" wine "$PROGRAM" "$@") \
        >"$ARTEFACTS/$name.out" 2>"$ARTEFACTS/$name.err"
    RUN_STATUS=$?
}

start_window() {
    (cd "$WORKING" && exec wine "$PROGRAM") >>"$ARTEFACTS/$1.err" 2>&1 &
    APP_PID=$!
    wait_for "$WINDOW_TIMEOUT" eval 'APP_WINDOW="$(window_id)"; [[ -n "$APP_WINDOW" ]]' || {
        echo "no window within ${WINDOW_TIMEOUT} s (see $ARTEFACTS/$1.err)"
        return 1
    }
}

close_window() {
    xdotool windowfocus --sync "$APP_WINDOW" 2>/dev/null || xdotool windowfocus "$APP_WINDOW"
    xdotool key alt+F4
    wait_for "$EXIT_TIMEOUT" eval '! kill -0 "$APP_PID" 2>/dev/null' || {
        echo "the window did not close ${EXIT_TIMEOUT} s after Alt+F4"
        return 1
    }
    wait "$APP_PID"
    APP_PID=""
    APP_WINDOW=""
}

markers_seen() { find "$MARKERS" -name '*.loaded' -printf '%f ' | sed 's/\.loaded//g'; }

expect_no_marker() {
    local seen
    seen="$(markers_seen)"
    [[ -z "$seen" ]] || { echo "planted DLLs were loaded: $seen"; return 1; }
}

# ---------------------------------------------------------------------------------------
# Checks, in order; they share the prefix.

check_command_line_installs_all_and_loads_nothing_planted() {
    run_cli planted-install --install all
    [[ "$RUN_STATUS" == 0 ]] || { echo "exit status $RUN_STATUS (see $ARTEFACTS/planted-install.*)"; return 1; }
    local bundle
    for bundle in "${BUNDLES[@]}"; do
        [[ -e "$DRIVE_C/$bundle" ]] || { echo "missing: $bundle"; return 1; }
    done
    grep -q '^CLAP: installed, version 1.2.0.0; install succeeded' "$ARTEFACTS/planted-install.out" ||
        { echo "the report does not say CLAP was installed: $(head -c 600 "$ARTEFACTS/planted-install.out")"; return 1; }
    expect_no_marker
}

check_window_installs_clap_and_loads_nothing_planted() {
    rm -rf "$CLAP_BUNDLE"
    start_window planted-window || return 1
    click_control CLAP && click_control INSTALL
    wait_for "$FILE_TIMEOUT" test -f "$CLAP_BUNDLE" ||
        { screenshot planted-window >/dev/null; echo "no Ostrand.clap ${FILE_TIMEOUT} s after INSTALL"; return 1; }
    close_window || return 1
    expect_no_marker
}

check_a_program_without_the_guard_loads_every_planted_dll() {
    local missing=() name
    (cd "$WORKING" && timeout "$RUN_TIMEOUT" wine "$DOWNLOADS/dll_search_probe.exe" "${PLANTED[@]}") \
        >"$ARTEFACTS/probe.out" 2>&1
    for name in "${PLANTED[@]}"; do
        [[ -n "$(find "$MARKERS" -iname "$name.loaded")" ]] || missing+=("$name")
    done
    ((${#missing[@]} == 0)) || { echo "not loaded by the probe, so not shown to be plantable: ${missing[*]}"; return 1; }
}

# ---------------------------------------------------------------------------------------
# Setup: prefix, display, the test programs, the names to plant.

start_wine_xvfb || setup_failed "Xvfb did not start (see $ARTEFACTS/xvfb.log)"
make_prefix || setup_failed "no Wine prefix (see $ARTEFACTS/wineboot.log)"
mkdir -p "$DOWNLOADS" "$WORKING" "$MARKERS" "$DRIVE_C/ProgramData/Audio Tarvosk"
cp "$EXE" "$DOWNLOADS/vx_installer.exe"
PROGRAM="$DOWNLOADS/vx_installer.exe"
x86_64-w64-mingw32-gcc-posix -shared -O2 -o "$WORK/planted.dll" "$HERE/planted_dll.c" &&
    x86_64-w64-mingw32-gcc-posix -municode -O2 -o "$DOWNLOADS/dll_search_probe.exe" "$HERE/dll_search_probe.c" &&
    make_baseline || setup_failed "the planted DLL, the probe or the baseline program did not build"

# The traces: the baseline, the command line, the window (opened and closed).
export WINEDEBUG=+pid,+loaddll
(cd "$WORKING" && timeout "$RUN_TIMEOUT" wine "$WORK/baseline.exe") >/dev/null 2>"$WORK/baseline.trace"
run_cli trace-status --status
cp "$ARTEFACTS/trace-status.err" "$WORK/status.trace"
start_window trace-window && close_window || setup_failed "the traced window run failed"
mv "$ARTEFACTS/trace-window.err" "$WORK/window.trace"
export WINEDEBUG=-all
# The traced runs installed nothing; the runs below start from the same prefix state.

loaded_names "$WORK/baseline.trace" >"$WORK/baseline.names" || setup_failed "no baseline trace"
static_imports "$EXE" >"$WORK/program.names"
loaded_names "$WORK/status.trace" >>"$WORK/program.names" || setup_failed "no trace of the command-line run"
loaded_names "$WORK/window.trace" >>"$WORK/program.names" || setup_failed "no trace of the window run"
sort -u "$WORK/program.names" | grep -vxF "$KNOWN_DLLS" | grep -vxF -f "$WORK/baseline.names" \
    >"$ARTEFACTS/planted-names.txt"
mapfile -t PLANTED <"$ARTEFACTS/planted-names.txt"
((${#PLANTED[@]} > 0)) || setup_failed "no DLL names to plant"
echo "run_wine_planted_dll_tests: planting ${PLANTED[*]}"
echo "run_wine_planted_dll_tests: loaded by any process start (not planted): $(tr '\n' ' ' <"$WORK/baseline.names")"

for name in "${PLANTED[@]}"; do
    cp "$WORK/planted.dll" "$DOWNLOADS/$name" && cp "$WORK/planted.dll" "$WORKING/$name" ||
        setup_failed "cannot plant $name"
done
overrides="$(printf '%s\n' "${PLANTED[@]}" | sed 's/\.dll$//' | paste -sd ,)"
export WINEDLLOVERRIDES="$BASE_OVERRIDES;$overrides=n,b"

run_checks "planted DLLs" command_line_installs_all_and_loads_nothing_planted \
    window_installs_clap_and_loads_nothing_planted a_program_without_the_guard_loads_every_planted_dll
finish
