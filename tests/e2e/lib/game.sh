# e2e helpers: the game's working directory and process, its signals and its end.
# shellcheck shell=bash

# The exit status of a run that ends on a failure message (a damaged file, no SDL); a quit is always 0.
E2E_FAIL_STATUS=1
E2E_BIN=""
E2E_RESOURCE=""
E2E_GAME_PID=""
E2E_WORK=""      # the game's working directory: resource link, run.log, screenshot.bmp, stdout.txt
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

# e2e_start_game [ARGS...]: starts the game in E2E_WORK with dummy audio; stdout goes to E2E_WORK/stdout.txt.
e2e_start_game() {
    (cd "$E2E_WORK" && exec env SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" "$E2E_BIN" "$@" \
        >"$E2E_WORK/stdout.txt" 2>"$E2E_WORK/stderr.txt") &
    E2E_GAME_PID=$!
}

# e2e_wait_file FILE [SECONDS]: waits until FILE exists; a failed check when it does not in time.
e2e_wait_file() {
    e2e_poll "${2:-30}" test -e "$1" && return 0
    e2e_fail "no $(basename "$1") within ${2:-30} s"
    return 1
}

# e2e_catches SIGNAL...: the game has a handler of its own for every one of the signals, so that
# each now asks it to quit instead of ending it. The process must be the game by then, not the shell
# that is about to become it, whose own handlers would count otherwise.
e2e_catches() {
    local mask sig bit
    [ "$(readlink "/proc/$E2E_GAME_PID/exe" 2>/dev/null)" = "$E2E_BIN" ] || return 1
    mask="$(awk '/^SigCgt:/ { print $2 }' "/proc/$E2E_GAME_PID/status" 2>/dev/null)"
    [ -n "$mask" ] || return 1
    for sig in "$@"; do
        bit=$((1 << ($(kill -l "$sig") - 1)))
        [ $((16#$mask & bit)) -ne 0 ] || return 1
    done
}

# e2e_signal_when_caught SIGNAL [SECONDS]: sends SIGNAL to the game once it catches it; a failed
# check, and nothing sent, when it does not in time or the game ends first.
e2e_signal_when_caught() {
    if e2e_poll "${2:-30}" e2e_catches "$1"; then
        kill -s "$1" "$E2E_GAME_PID"
        return 0
    fi
    e2e_fail "the game did not catch SIG$1 within ${2:-30} s"
    return 1
}

# e2e_wait_exit [SECONDS]: waits for the game to end and sets E2E_STATUS; kills it and fails on timeout.
e2e_wait_exit() {
    if [ -z "$E2E_GAME_PID" ]; then
        e2e_fail "no game to wait for"
        E2E_STATUS="none"
        return 1
    fi
    if e2e_poll "${1:-10}" e2e_game_gone; then
        wait "$E2E_GAME_PID"
        E2E_STATUS=$?
        E2E_GAME_PID=""
        return 0
    fi
    e2e_kill_game
    E2E_STATUS="timeout"
    e2e_fail "game still running after ${1:-10} s"
    return 1
}

e2e_game_gone() { ! kill -0 "$E2E_GAME_PID" 2>/dev/null; }

e2e_kill_game() {
    if [ -n "$E2E_GAME_PID" ] && kill -0 "$E2E_GAME_PID" 2>/dev/null; then
        kill "$E2E_GAME_PID" 2>/dev/null
        wait "$E2E_GAME_PID" 2>/dev/null
    fi
    E2E_GAME_PID=""
}

# e2e_last_line FILE: the last line of a file, or nothing.
e2e_last_line() { [ -f "$1" ] && tail -n 1 "$1"; }
