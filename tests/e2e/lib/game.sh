# e2e helpers: the game's working directory and process, its signals and its end.
# shellcheck shell=bash

# The exit status of a run that ends on a failure message (a damaged file, no SDL); a quit is always 0.
E2E_FAIL_STATUS=1
E2E_QUIT="dPlix system quit."
E2E_BIN=""
E2E_RESOURCE=""
E2E_GAME_PID=""
E2E_WORK=""  # where the game runs: resource, run.log, screenshot.bmp, and its stdout.txt and stderr.txt
E2E_CWD=""   # where it starts, when not there: a launcher goes there itself
E2E_STATUS=""

# e2e_make_workdir [NAME]: a fresh working directory with a `resource` link to the real tree; sets E2E_WORK.
e2e_make_workdir() {
    E2E_WORK="$E2E_SCRATCH/${1:-run}"
    rm -rf "$E2E_WORK"
    mkdir -p "$E2E_WORK"
    ln -s "$E2E_RESOURCE" "$E2E_WORK/resource"
}

# e2e_copy_resources: replaces the link by a private copy that a test may damage.
e2e_copy_resources() {
    rm -f "$E2E_WORK/resource"
    cp -rL "$E2E_RESOURCE" "$E2E_WORK/resource"
}

# e2e_start_game [NAME=VALUE | -u NAME]... [ARGS...]: starts E2E_BIN with dummy audio, the environment
# changed as env(1) is told, and ARGS; no standard input.
e2e_start_game() {
    local unset=() env=(SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}")
    while [[ "${1:-}" =~ ^[A-Za-z_][A-Za-z0-9_]*= || "${1:-}" = -u ]]; do
        if [ "$1" = -u ]; then unset+=(-u "$2") && shift 2; else env+=("$1") && shift; fi
    done
    (cd "${E2E_CWD:-$E2E_WORK}" && exec env "${unset[@]}" "${env[@]}" "$E2E_BIN" "$@" \
        </dev/null >"$E2E_WORK/stdout.txt" 2>"$E2E_WORK/stderr.txt") &
    E2E_GAME_PID=$!
}

# e2e_wait_file FILE [SECONDS]: waits until FILE exists; a failed check when it does not in time.
e2e_wait_file() { e2e_poll "${2:-30}" test -e "$1" || e2e_fail "no $(basename "$1") within ${2:-30} s"; }

# e2e_stop_with SIGNAL [SECONDS]: once the game has emptied its run.log, when its audio device is open
# and its handlers are in place, sends it SIGNAL; then waits for its end.
e2e_stop_with() {
    e2e_wait_file "$E2E_WORK/run.log" "${2:-30}" && kill -s "$1" "$E2E_GAME_PID" 2>/dev/null
    e2e_wait_exit "${2:-30}"
}

# e2e_wait_exit [SECONDS]: waits for the game to end and sets E2E_STATUS; kills it and fails on timeout.
e2e_wait_exit() {
    if e2e_poll "${1:-10}" e2e_game_gone; then
        wait "$E2E_GAME_PID"
        E2E_STATUS=$?
        E2E_GAME_PID=""
        return 0
    fi
    e2e_kill_game
    E2E_STATUS="timeout"
    e2e_fail "game still running after ${1:-10} s"
}

e2e_game_gone() { ! kill -0 "$E2E_GAME_PID" 2>/dev/null; }

e2e_kill_game() {
    [ -z "$E2E_GAME_PID" ] || { kill "$E2E_GAME_PID" && wait "$E2E_GAME_PID"; } 2>/dev/null
    E2E_GAME_PID=""
}

# e2e_last_line FILE: the last line of a file, or nothing.
e2e_last_line() { [ -f "$1" ] && tail -n 1 "$1"; }
