# e2e helpers: checks and their tally, which any test script may source alone.
# shellcheck shell=bash

E2E_TAG="${E2E_TAG:-e2e}" # what the script's log lines begin with
e2e_log() { echo "[$E2E_TAG] $*" >&2; }

E2E_PASSES=0
E2E_FAILURES=0
E2E_WORK="${E2E_WORK:-}"
E2E_FAILED_WORKS=() # working directories with a failed check, whose game output is shown at the end

e2e_pass() {
    e2e_log "ok: $*"
    E2E_PASSES=$((E2E_PASSES + 1))
}

# e2e_fail MESSAGE: a failed check of the run in E2E_WORK; status 1, as every check that fails.
e2e_fail() {
    e2e_log "FAIL: $*"
    E2E_FAILURES=$((E2E_FAILURES + 1))
    [ -z "$E2E_WORK" ] || [[ " ${E2E_FAILED_WORKS[*]} " == *" $E2E_WORK "* ]] ||
        E2E_FAILED_WORKS+=("$E2E_WORK")
    return 1
}

# e2e_show_failed_output: the standard output and error of every run with a failed check, so that a
# failure on a busy machine can be understood from the test log alone.
e2e_show_failed_output() {
    local work file
    for work in "${E2E_FAILED_WORKS[@]}"; do
        for file in stdout.txt stderr.txt; do
            [ -f "$work/$file" ] || continue
            e2e_log "---- $(basename "$work")/$file ($(wc -l <"$work/$file") lines) ----"
            # A text-mode driver's terminal codes come as one endless line.
            head -n 200 "$work/$file" | cut -c 1-400 >&2
        done
    done
    E2E_FAILED_WORKS=()
}

# e2e_expect DESCRIPTION EXPECTED ACTUAL
e2e_expect() {
    if [ "$2" == "$3" ]; then e2e_pass "$1"; else e2e_fail "$1: expected [$2], got [$3]"; fi
}

# e2e_expect_true DESCRIPTION COMMAND...
e2e_expect_true() {
    local what="$1"
    shift
    if "$@"; then e2e_pass "$what"; else e2e_fail "$what"; fi
}

# e2e_expect_quit [WHAT]: the game has quit: status 0, and the quit line last on stdout and the
# only line of run.log.
e2e_expect_quit() {
    local what="${1:+$1: }"
    e2e_expect "${what}exit status" 0 "$E2E_STATUS"
    e2e_expect "${what}last line on stdout" "$E2E_QUIT" "$(e2e_last_line "$E2E_WORK/stdout.txt")"
    e2e_expect "${what}run.log" "$E2E_QUIT" "$(cat "$E2E_WORK/run.log" 2>/dev/null)"
}

# e2e_finish: the tally, which scripts/test.sh adds up, and the script's exit status: non-zero when any
# check failed, and when none ran at all.
e2e_finish() {
    e2e_log "checks: $E2E_PASSES passed, $E2E_FAILURES failed"
    [ "$E2E_FAILURES" -eq 0 ] && [ "$E2E_PASSES" -gt 0 ]
    exit
}
