#!/usr/bin/env bash
# The real game killed by a fatal signal must leave its line and die of that signal: the watch is
# set in the game itself. (Every fatal signal, raised on any thread, is plix/crash_test's.)
# Usage: bash hostile.sh ZORVANE RESOURCE_DIR
set -u
GAME="$(readlink -f "$1")"
RESOURCES="$(readlink -f "$2")"
scratch="$(mktemp -d /tmp/zorvane-hostile-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
passed=0
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { passed=$((passed + 1)); }

# wait_for SECONDS COMMAND...: until COMMAND succeeds, or false once the deadline has passed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}
log_emptied() { [ -f "$scratch/game/run.log" ] && [ ! -s "$scratch/game/run.log" ]; }
gone() { ! kill -0 "$1" 2>/dev/null; }

# A fatal signal: one line, on stdout and at the end of run.log, and death by that very signal.
# The signal goes once run.log has been emptied, which start-up does after the watch is set.
mkdir -p "$scratch/game"
ln -s "$RESOURCES" "$scratch/game/resource"
for name in SEGV; do
    number="$(kill -l "$name")"
    echo "before" >"$scratch/game/run.log"
    (cd "$scratch/game" && ulimit -c 0 && exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$GAME" \
        >"$scratch/game/stdout.txt" 2>"$scratch/game/stderr.txt") &
    pid=$!
    if ! wait_for 30 log_emptied; then
        fail "SIG$name: the game never emptied run.log; it said: $(cat "$scratch/game/stdout.txt" "$scratch/game/stderr.txt")"
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        continue
    fi
    kill -s "$name" "$pid"
    wait_for 30 gone "$pid" || fail "SIG$name: the game did not die"
    wait "$pid" 2>/dev/null
    status=$?
    line="$(tail -n 1 "$scratch/game/stdout.txt")"
    logged="$(cat "$scratch/game/run.log")"
    want="Plix: fatal signal SIGSEGV (invalid memory access)"
    if [ "$status" -eq $((128 + number)) ] && [ "$line" = "$want" ] && [ "$logged" = "$want" ]; then
        pass
    else
        fail "SIG$name: status $status (want $((128 + number))), stdout [$line], run.log [$logged], want [$want]"
    fi
done

echo "hostile checks: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
