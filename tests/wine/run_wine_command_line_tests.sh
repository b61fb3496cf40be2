#!/usr/bin/env bash
# Runs the Windows build of vx_installer under Wine with command-line arguments, on a fresh
# prefix and a private Xvfb, and checks exit statuses, files, the log and the output; no
# run may open a window.
#
#   tests/wine/run_wine_command_line_tests.sh <vx_installer.exe> <artefacts-folder>
#
# Prints PASS/FAIL per check and a closing "N passed, N failed" line; exits non-zero when
# anything failed.
set -uo pipefail

usage="usage: $0 <vx_installer.exe> <artefacts-folder>"
# shellcheck source=stage_setup.sh
source "$(dirname "$0")/stage_setup.sh"
stage_arguments "${1:?$usage}" "${2:?$usage}"
require_tools wine wineboot wineserver Xvfb xdotool python3 timeout tar

RUN_TIMEOUT=120

WORK="$(mktemp -d "${TMPDIR:-/tmp}/vx-wine-cli.XXXXXX")"
# shellcheck source=wine_session.sh
source "$(dirname "$0")/wine_session.sh"
# shellcheck source=check_runner.sh
source "$(dirname "$0")/check_runner.sh"
mkdir -p "$WORK/cwd"
START_TIME=$SECONDS

cleanup() {
    stop_wine_session
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

BUNDLES=(
    'Program Files/Common Files/VST3/Ostrand.vst3'
    'Program Files/Common Files/CLAP/Ostrand.clap'
    'Program Files/Common Files/Avid/Audio/Plug-Ins/Ostrand.aaxplugin')

# Any visible window on the display, whoever made it, except the root window.
ROOT_WINDOW=""
visible_windows() {
    xdotool search --onlyvisible --name '' 2>/dev/null | grep -vx "${ROOT_WINDOW:-none}"
}

# run_program NAME ARGS...: runs the program under Wine from the scratch working folder,
# its output in $ARTEFACTS/NAME.out and NAME.err, its exit status in RUN_STATUS; watches the
# display meanwhile and sets RUN_WINDOWS to the windows seen (empty: none).
run_program() {
    local name="$1" pid
    shift
    (cd "$WORK/cwd" && exec timeout "$RUN_TIMEOUT" wine "$EXE" "$@") \
        >"$ARTEFACTS/$name.out" 2>"$ARTEFACTS/$name.err" &
    pid=$!
    RUN_WINDOWS=""
    while kill -0 "$pid" 2>/dev/null; do
        RUN_WINDOWS+="$(visible_windows)"
        sleep 0.1
    done
    wait "$pid"
    RUN_STATUS=$?
    RUN_WINDOWS+="$(visible_windows)"
}

expect_no_window() {
    [[ -z "$RUN_WINDOWS" ]] || { echo "a window appeared: $RUN_WINDOWS"; return 1; }
}

expect_status() {
    [[ "$RUN_STATUS" == "$1" ]] || { echo "exit status $RUN_STATUS, expected $1"; return 1; }
}

# ---------------------------------------------------------------------------------------
# Checks, in order; they share the prefix.

check_install_all_writes_the_log() {
    run_program install --install all --log 'C:\logs\install.log'
    expect_status 0 || return 1
    expect_no_window || return 1
    local bundle
    for bundle in "${BUNDLES[@]}"; do
        [[ -e "$DRIVE_C/$bundle" ]] || { echo "missing: $bundle"; return 1; }
    done
    local log="$DRIVE_C/logs/install.log"
    [[ -s "$log" ]] || { echo "no log at C:\\logs\\install.log"; return 1; }
    cp "$log" "$ARTEFACTS/install-log.txt"
    grep -q '^AAX: installed, version 1.2.0.0; install succeeded$' "$log" ||
        { echo "the log does not report the AAX install: $(cat "$log")"; return 1; }
}

check_status_json_reports_the_installs() {
    run_program status --status --json --log 'C:\logs\status.json'
    expect_status 0 || return 1
    expect_no_window || return 1
    cp "$DRIVE_C/logs/status.json" "$ARTEFACTS/status.json" 2>/dev/null
    python3 - "$DRIVE_C/logs/status.json" <<'EOF'
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
assert report["productVersion"] == "1.2.0", report["productVersion"]
assert report["settings"]["file"] == "C:\\ProgramData\\Audio Tarvosk\\PluginManagerSettings.txt", report["settings"]
names = [f["name"] for f in report["formats"]]
assert names == ["VST3", "CLAP", "AAX"], names
for f in report["formats"]:
    assert f["installed"] is True and f["version"] == "1.2.0.0", f
print("ok")
EOF
}

# What Wine gives a GUI program started from a shell: its standard output reaches the
# shell (or the attached console), so the report is there as well as in the log.
check_status_reaches_the_standard_output() {
    run_program status-text --status
    expect_status 0 || return 1
    expect_no_window || return 1
    grep -q '^CLAP: installed, version 1.2.0.0' "$ARTEFACTS/status-text.out" ||
        { echo "no report on the standard output: $(head -c 300 "$ARTEFACTS/status-text.out")"; return 1; }
}

# A copy in the per-user CLAP folder, where the Windows shell puts %LOCALAPPDATA%, is named
# as another copy that hosts load.
check_status_names_a_per_user_copy() {
    local users user_folder
    users=("$DRIVE_C"/users/*)
    user_folder=""
    for user_folder in "${users[@]}"; do
        [[ "$(basename "$user_folder")" == Public ]] || break
    done
    [[ -d "$user_folder/AppData/Local" ]] || { echo "no user folder with AppData\\Local in the prefix"; return 1; }
    local name copy
    name="$(basename "$user_folder")"
    copy="$user_folder/AppData/Local/Programs/Common/CLAP/Ostrand.clap"
    mkdir -p "$(dirname "$copy")" && cp "$DRIVE_C/${BUNDLES[1]}" "$copy" || return 1
    run_program per-user-copy --status
    rm -f "$copy"
    expect_status 0 || return 1
    expect_no_window || return 1
    grep -qF "  other copy: C:\\users\\$name\\AppData\\Local\\Programs\\Common\\CLAP\\Ostrand.clap (version 1.2.0.0)" \
        "$ARTEFACTS/per-user-copy.out" ||
        { echo "the per-user copy is not reported: $(grep -i 'copy' "$ARTEFACTS/per-user-copy.out")"; return 1; }
}

check_unknown_option_exits_2() {
    run_program unknown --frobnicate
    expect_status 2 || return 1
    expect_no_window || return 1
    grep -q "unknown option '--frobnicate'" "$ARTEFACTS/unknown.err" ||
        { echo "no message on the error stream: $(head -c 300 "$ARTEFACTS/unknown.err")"; return 1; }
}

# The recipe the README gives for scripts: cmd's `start /wait` waits and hands on the exit
# status. Started so, the program has no console to write to here (cmd runs on pipes), so
# the report goes to the log.
check_start_wait_gives_the_exit_status() {
    cp "$EXE" "$DRIVE_C/vx_installer.exe" || return 1
    printf '%s\r\n' '@echo off' \
        'start /wait C:\vx_installer.exe /install=vst2' 'echo errorlevel %ERRORLEVEL%' \
        'start /wait C:\vx_installer.exe /status /log=C:\logs\start.log' 'echo errorlevel %ERRORLEVEL%' \
        >"$DRIVE_C/start-wait.cmd"
    local out="$ARTEFACTS/start-wait.txt" seen
    (cd "$WORK/cwd" && timeout "$RUN_TIMEOUT" wine cmd /c 'C:\start-wait.cmd') </dev/null >"$out" 2>&1
    rm -f "$DRIVE_C/vx_installer.exe" "$DRIVE_C/start-wait.cmd"
    seen="$(tr -d '\r' <"$out" | grep '^errorlevel' | tr '\n' ' ')"
    [[ "$seen" == "errorlevel 2 errorlevel 0 " ]] || { echo "cmd saw: $seen"; return 1; }
    grep -q '^VST3: installed, version 1.2.0.0' "$DRIVE_C/logs/start.log" ||
        { echo 'no report in C:\logs\start.log'; return 1; }
}

check_windows_spelling_uninstalls() {
    run_program uninstall /UNINSTALL=clap
    expect_status 0 || return 1
    expect_no_window || return 1
    [[ ! -e "$DRIVE_C/${BUNDLES[1]}" && -e "$DRIVE_C/${BUNDLES[0]}" ]] ||
        { echo "/UNINSTALL=clap did not remove exactly the CLAP bundle"; return 1; }
}

# The settings file's folders in spellings the Linux build reads as the default folders:
# the Windows program installs there too, and shows them in the same one spelling. Also
# the checks of the log that are the Windows program's own: a link at the log's path is
# replaced, never followed, and a log naming the settings file is refused.
check_spellings_and_the_log_match_the_linux_build() {
    local settings="$DRIVE_C/ProgramData/Audio Tarvosk/PluginManagerSettings.txt"
    cp "$settings" "$WORK/settings.saved" || return 1
    printf '%s\r\n' '<Plugin_Manager_Settings' \
        ' VST3_Path="\\.\C:\Program Files\Common Files\VST3"' \
        ' CLAP_Path="C:\Program Files\Common Files\CLAP "' \
        ' AAX_Path="c:\program files\common files\avid\audio\plug-ins\."/>' >"$settings"
    run_program spellings --install all --json
    local status=$RUN_STATUS
    python3 - "$ARTEFACTS/spellings.out" <<'PYEOF'
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
want = ["C:\\Program Files\\Common Files\\VST3", "C:\\Program Files\\Common Files\\CLAP",
        "C:\\Program Files\\Common Files\\Avid\\Audio\\Plug-Ins"]
got = [f["folder"] for f in report["formats"]]
assert got == want, got
assert all(f["outcome"] == "succeeded" for f in report["formats"]), report["formats"]
PYEOF
    local checked=$?
    mv "$WORK/settings.saved" "$settings"
    [[ "$status" == 0 && "$checked" == 0 ]] || { echo "exit status $status, report: $(head -c 600 "$ARTEFACTS/spellings.out")"; return 1; }

    echo "another user's file" >"$WORK/victim.txt"
    ln -sfn "$WORK/victim.txt" "$DRIVE_C/logs/link.log"
    run_program link-log --status --log 'C:\logs\link.log'
    expect_status 0 || return 1
    [[ "$(cat "$WORK/victim.txt")" == "another user's file" && ! -L "$DRIVE_C/logs/link.log" ]] ||
        { echo "the log was written through the link"; return 1; }
    run_program settings-log --status --log 'c:\programdata\audio tarvosk\PLUGINMANAGERSETTINGS.TXT'
    expect_status 2 || return 1
    grep -q "it is the settings file" "$ARTEFACTS/settings-log.err" ||
        { echo "no reason given: $(head -c 300 "$ARTEFACTS/settings-log.err")"; return 1; }

    # One other copy, named in CLAP_PATH in two spellings, is one other copy.
    mkdir -p "$DRIVE_C/Other/CLAP" && cp "$DRIVE_C/${BUNDLES[1]}" "$DRIVE_C/Other/CLAP/Ostrand.clap" || return 1
    CLAP_PATH='C:\Other\CLAP.;C:\Other\CLAP' run_program two-spellings --status
    rm -rf "$DRIVE_C/Other"
    local copies
    copies="$(grep -c '^  other copy: ' "$ARTEFACTS/two-spellings.out")"
    [[ "$copies" == 1 ]] || { echo "$copies other copies listed: $(grep 'other copy' "$ARTEFACTS/two-spellings.out")"; return 1; }
}

CHECKS=(install_all_writes_the_log status_json_reports_the_installs status_reaches_the_standard_output
    status_names_a_per_user_copy unknown_option_exits_2 start_wait_gives_the_exit_status
    windows_spelling_uninstalls spellings_and_the_log_match_the_linux_build)

# ---------------------------------------------------------------------------------------
# Runner

# The prefix: unpacked from the template that run_wine_tests.sh caches per Wine version,
# made here when there is none yet.

start_wine_xvfb || setup_failed "Xvfb did not start (see $ARTEFACTS/xvfb.log)"
ROOT_WINDOW="$(xdotool search --maxdepth 0 --name '' 2>/dev/null | head -n 1)"

make_prefix || setup_failed "no Wine prefix: wineboot --init failed or timed out (see $ARTEFACTS/wineboot.log)"
mkdir -p "$DRIVE_C/ProgramData/Audio Tarvosk" "$DRIVE_C/logs"
[[ -z "$(visible_windows)" ]] || setup_failed "windows on the display before any run"

run_checks "" "${CHECKS[@]}"
finish
