# Sourced by run_wine_tests.sh: the checks against the running program, one function
# check_<name> each, run in the order the start's list in run_wine_tests.sh names them.

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
