#!/usr/bin/env bash
# The Linux build started with arguments: the report on the standard output, the exit
# status, and no window, on a display of its own (run through run-with-xvfb.sh) and with
# no display at all.
set -uo pipefail
exe=${1:?usage: command_line.sh <vx_installer>}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix"
mkdir -p "$WINEPREFIX/drive_c/ProgramData/Audio Tarvosk"
failed=0
# The root window is the one visible window an empty display has.
root_window=$(xdotool search --maxdepth 0 --name '' 2>/dev/null | head -n 1)
fail() { echo "FAIL: $*"; failed=1; }

# run NAME ARGS...: runs the program, watching the display for windows while it runs.
run() {
    local name=$1 pid
    shift
    "$exe" "$@" >"$work/$name.out" 2>"$work/$name.err" &
    pid=$!
    windows=""
    while kill -0 "$pid" 2>/dev/null; do
        windows+=$(xdotool search --onlyvisible --name '' 2>/dev/null | grep -vx "${root_window:-none}")
        sleep 0.05
    done
    wait "$pid"
    status=$?
    [ -z "$windows" ] || fail "$name: a window appeared"
}

run install --install clap --log "$work/install.log"
[ "$status" = 0 ] || fail "install: exit status $status: $(cat "$work/install.err")"
[ -f "$WINEPREFIX/drive_c/Program Files/Common Files/CLAP/Ostrand.clap" ] || fail "install: no CLAP bundle"
cmp -s "$work/install.out" "$work/install.log" || fail "install: the log differs from the output"
grep -q '^CLAP: installed' "$work/install.out" || fail "install: report: $(cat "$work/install.out")"

run unknown --bogus
[ "$status" = 2 ] || fail "unknown: exit status $status"
grep -q "unknown option '--bogus'" "$work/unknown.err" || fail "unknown: $(cat "$work/unknown.err")"
[ ! -s "$work/unknown.out" ] || fail "unknown: output on the standard output"

# No display at all: the command line needs none.
(unset DISPLAY; "$exe" --status --json >"$work/nodisplay.out" 2>"$work/nodisplay.err")
status=$?
[ "$status" = 0 ] || fail "no display: exit status $status: $(cat "$work/nodisplay.err")"
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert r["formats"][1]["installed"]' \
    "$work/nodisplay.out" || fail "no display: not the JSON report: $(head -c 300 "$work/nodisplay.out")"

[ "$failed" = 0 ] && echo "command line: exit statuses, report, log and no window as expected"
exit "$failed"
