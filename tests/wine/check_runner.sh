# Sourced by the Wine stage's scripts: waiting, and running checks with PASS/FAIL lines
# and a closing "N passed, N failed" line. A check is a function check_<name> that
# prints why and returns non-zero when it fails. The caller sets START_TIME.

PASSED=0
FAILED=0

# wait_for SECONDS COMMAND...: retries COMMAND every 0.2 s until it succeeds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# finish: the closing line; exits non-zero when anything failed.
finish() {
    echo "$(basename "$0" .sh): $PASSED passed, $FAILED failed in $((SECONDS - START_TIME)) s"
    ((FAILED == 0))
    exit
}

setup_failed() {
    echo "FAIL setup: $*"
    FAILED=$((FAILED + 1))
    finish
}

# run_checks LABEL CHECK...: runs the checks in order, in this shell, so that they can
# hand state on; LABEL (may be empty) tags their lines.
run_checks() {
    local tag="${1:+[$1] }" name out
    shift
    for name in "$@"; do
        out="$(mktemp "$WORK/check.XXXXXX")"
        if "check_$name" >"$out" 2>&1; then
            echo "PASS $tag$name"
            PASSED=$((PASSED + 1))
        else
            echo "FAIL $tag$name: $(tr '\n' ' ' <"$out")"
            FAILED=$((FAILED + 1))
        fi
    done
}
