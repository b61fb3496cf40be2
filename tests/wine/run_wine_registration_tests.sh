#!/usr/bin/env bash
# Windows' uninstall entry under Wine, on a fresh prefix and a private Xvfb: a window
# install registers it with every value and puts the installer's copy in Program Files;
# uninstalling the last format removes both; Wine's own Add/Remove Programs
# (`wine uninstaller`, a client we did not write) lists the entry and runs its
# UninstallString, whose question Escape cancels and Return confirms; the
# QuietUninstallString opens no window; the Linux build reads the entry from the prefix.
#
#   tests/wine/run_wine_registration_tests.sh <vx_installer.exe> <artefacts-folder> [<linux vx_installer>]
#
# Prints PASS/FAIL per check and a closing "N passed, N failed" line; exits non-zero when
# anything failed. The artefacts hold `wine reg query` of the entry after the window's
# install (entry.txt) and screenshots of the question and the notice.
set -uo pipefail

usage="usage: $0 <vx_installer.exe> <artefacts-folder> [<linux vx_installer>]"
# shellcheck source=stage_setup.sh
source "$(dirname "$0")/stage_setup.sh"
stage_arguments "${1:?$usage}" "${2:?$usage}"
NATIVE_EXE="${3:-}"
[[ -z "$NATIVE_EXE" || -x "$NATIVE_EXE" ]] || { echo "$0: no such program: $NATIVE_EXE" >&2; exit 2; }
require_tools wine wineboot wineserver Xvfb xdotool import convert compare python3 timeout tar cmp

# shellcheck source=window_stage.sh
source "$(dirname "$0")/window_stage.sh"

KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\AudioTarvosk.Ostrand'
COPY_WINDOWS='C:\Program Files\Audio Tarvosk\Ostrand\vx_installer.exe'
BUNDLES=(
    'Program Files/Common Files/VST3/Ostrand.vst3'
    'Program Files/Common Files/CLAP/Ostrand.clap'
    'Program Files/Common Files/Avid/Audio/Plug-Ins/Ostrand.aaxplugin')

copy_file() { wine_path "$COPY_WINDOWS"; }
entry_text() { timeout 60 wine reg query "$KEY" /reg:64 2>/dev/null | tr -d '\r'; }
entry_exists() { timeout 60 wine reg query "$KEY" /reg:64 >/dev/null 2>&1; }
no_entry() { ! entry_exists; }
no_copy() { [[ ! -e "$(copy_file)" && ! -e "$(dirname "$(copy_file)")" ]]; }
all_installed() {
    local bundle
    for bundle in "${BUNDLES[@]}"; do [[ -e "$DRIVE_C/$bundle" ]] || return 1; done
}
none_installed() {
    local bundle
    for bundle in "${BUNDLES[@]}"; do [[ ! -e "$DRIVE_C/$bundle" ]] || return 1; done
}

# The value of NAME in the entry, as `reg query` prints it.
entry_value() { entry_text | awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }

# dialog_window TITLE: the X window of a visible message box with that title.
dialog_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }

# press_in_dialog TITLE KEY SHOT: waits for the message box, screenshots it, sends KEY.
press_in_dialog() {
    local id="" title="$1"
    wait_for 60 eval 'id="$(dialog_window "$title")"; [[ -n "$id" ]]' || { echo "no message box '$title'"; return 1; }
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    sleep 0.3
    screenshot "$3" >/dev/null
    xdotool key --window "$id" "$2" 2>/dev/null || xdotool key "$2"
}

# ---------------------------------------------------------------------------------------
# Checks, in order; they share the prefix.

check_window_install_registers_the_entry() {
    start_window || return 1
    click_control SELECT_ALL && click_control INSTALL
    wait_for 60 all_installed || { echo "the window's install did not finish"; return 1; }
    wait_for 30 entry_exists || { echo "no key $KEY after the install"; return 1; }
    entry_text >"$ARTEFACTS/entry.txt"
    local program="\"$COPY_WINDOWS\"" size
    size="$(du -sk --apparent-size "${BUNDLES[@]/#/$DRIVE_C/}" | awk '{ s += $1 } END { print s }')"
    python3 - "$ARTEFACTS/entry.txt" "$program" "$(date +%Y%m%d)" "$size" <<'EOF' || return 1
import sys
text, program, today, size = open(sys.argv[1]).read(), sys.argv[2], sys.argv[3], int(sys.argv[4])
values = {}
for line in text.splitlines():
    parts = line.split(None, 2)
    if len(parts) == 3 and parts[1].startswith("REG_"):
        values[parts[0]] = (parts[1], parts[2])
want = {
    "DisplayName": ("REG_SZ", "Ostrand"), "DisplayVersion": ("REG_SZ", "1.2.0"),
    "Publisher": ("REG_SZ", "Audio Tarvosk"),
    "DisplayIcon": ("REG_SZ", program.strip('"') + ",0"),
    "URLInfoAbout": ("REG_SZ", "https://www.audiotarvosk.com/products/ostrand"),
    "HelpLink": ("REG_SZ", "mailto:support@audiotarvosk.com"),
    "InstallDate": ("REG_SZ", today), "NoRepair": ("REG_DWORD", "0x1"),
    "ModifyPath": ("REG_SZ", program),
    "UninstallString": ("REG_SZ", program + " /uninstall=all /ask"),
    "QuietUninstallString": ("REG_SZ", program + " /uninstall=all"),
    "InstalledFormats": ("REG_SZ", "VST3, CLAP, AAX"),
}
wrong = [f"{k}={values.get(k)} (want {v})" for k, v in want.items() if values.get(k) != v]
kind, estimated = values.get("EstimatedSize", ("", "0"))
# du rounds each file up to a KiB; the program rounds the sum.
if kind != "REG_DWORD" or not (size - 64 <= int(estimated, 16) <= size):
    wrong.append(f"EstimatedSize={kind} {estimated} (want about {size} KiB)")
if wrong:
    print("; ".join(wrong))
    sys.exit(1)
EOF
    cmp -s "$EXE" "$(copy_file)" || { echo "no copy of the installer at $COPY_WINDOWS"; return 1; }
}

# Shift-click with every format selected uninstalls the last ones: the entry goes, and the
# copy with its folder (this window is not the copy, so at once).
check_window_uninstall_of_the_last_format_removes_the_entry_and_the_copy() {
    click_control SELECT_ALL && shift_click_control INSTALL || return 1
    wait_for 60 none_installed || { echo "the window's uninstall did not finish"; return 1; }
    wait_for 30 no_entry || { echo "the key is still there"; return 1; }
    wait_for 30 no_copy || { echo "the copy or its folder is still there"; return 1; }
    # Installed again for the checks below, then closed.
    click_control SELECT_ALL && click_control INSTALL
    wait_for 60 entry_exists || { echo "no entry after installing again"; return 1; }
    stop_window
}

# The Linux build does not write the registry, but reads the prefix's: the same state.
check_linux_build_reports_the_entry() {
    [[ -n "$NATIVE_EXE" ]] || { echo "SKIP: no Linux build given"; return 0; }
    timeout 60 wineserver -w
    "$NATIVE_EXE" --status --json >"$ARTEFACTS/linux-status.json" 2>&1 || return 1
    python3 -c '
import json, sys
r = json.load(open(sys.argv[1]))["registration"]
assert r == {"registered": True, "version": "1.2.0", "error": ""}, r' "$ARTEFACTS/linux-status.json"
}

check_wine_uninstaller_lists_ostrand() {
    timeout 60 wine uninstaller --list 2>/dev/null | tr -d '\r' >"$ARTEFACTS/uninstaller-list.txt"
    grep -q '^AudioTarvosk.Ostrand|||Ostrand$' "$ARTEFACTS/uninstaller-list.txt" ||
        { echo "not listed: $(cat "$ARTEFACTS/uninstaller-list.txt")"; return 1; }
}

# `wine uninstaller --remove` runs the UninstallString: the copy asks first; Escape cancels.
check_escape_at_the_question_changes_nothing() {
    (cd "$WORK/cwd" && timeout 120 wine uninstaller --remove AudioTarvosk.Ostrand) >>"$ARTEFACTS/wine-output.log" 2>&1 &
    local pid=$!
    press_in_dialog 'Uninstall Ostrand' Escape uninstall-question || return 1
    wait_for 60 eval '[[ -z "$(dialog_window "Uninstall Ostrand")" ]]' || { echo "the question stays"; return 1; }
    wait "$pid"
    all_installed && entry_exists && [[ -f "$(copy_file)" ]] || { echo "Escape changed something"; return 1; }
}

# Return confirms: every bundle goes, the notice says so, and once the copy has exited,
# the entry, the copy and its folder are gone.
check_return_at_the_question_uninstalls_everything() {
    (cd "$WORK/cwd" && timeout 120 wine uninstaller --remove AudioTarvosk.Ostrand) >>"$ARTEFACTS/wine-output.log" 2>&1 &
    local pid=$!
    press_in_dialog 'Uninstall Ostrand' Return uninstall-question-confirmed || return 1
    wait_for 60 none_installed || { echo "the bundles are still there"; return 1; }
    press_in_dialog 'Uninstall Ostrand' Return uninstall-notice || return 1
    wait "$pid"
    no_entry || { echo "the key is still there"; return 1; }
    wait_for 60 no_copy || { echo "the copy or its folder is still there after the copy exited"; return 1; }
}

# The QuietUninstallString, as a deployment tool runs it: no window, no question.
check_quiet_uninstall_opens_no_window() {
    (cd "$WORK/cwd" && timeout 120 wine "$EXE" --install all) >/dev/null 2>&1 || { echo "install failed"; return 1; }
    local quiet root seen="" pid
    quiet="$(entry_value QuietUninstallString)"
    [[ "$quiet" == "\"$COPY_WINDOWS\" /uninstall=all" ]] || { echo "QuietUninstallString is '$quiet'"; return 1; }
    root="$(xdotool search --maxdepth 0 --name '' 2>/dev/null | head -n 1)"
    (cd "$WORK/cwd" && exec timeout 120 wine "$(copy_file)" /uninstall=all) >"$ARTEFACTS/quiet.out" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        seen+="$(xdotool search --onlyvisible --name '' 2>/dev/null | grep -vx "${root:-none}")"
        sleep 0.1
    done
    wait "$pid" || { echo "exit status $?"; return 1; }
    [[ -z "$seen" ]] || { echo "a window appeared: $seen"; return 1; }
    none_installed && no_entry || { echo "not everything was removed"; return 1; }
    wait_for 60 no_copy || { echo "the copy is still there"; return 1; }
}

CHECKS=(window_install_registers_the_entry window_uninstall_of_the_last_format_removes_the_entry_and_the_copy
    linux_build_reports_the_entry wine_uninstaller_lists_ostrand escape_at_the_question_changes_nothing
    return_at_the_question_uninstalls_everything quiet_uninstall_opens_no_window)

start_wine_xvfb || setup_failed "Xvfb did not start (see $ARTEFACTS/xvfb.log)"
make_prefix || setup_failed "no Wine prefix: wineboot --init failed or timed out (see $ARTEFACTS/wineboot.log)"
mkdir -p "$DRIVE_C/ProgramData/Audio Tarvosk"
run_checks "" "${CHECKS[@]}"
finish
