#!/usr/bin/env bash
# Hostile files, at random and by signal: a seeded random-flip pass over every format, plainly and a
# short one under valgrind, in which whatever the checks take must load, play and decode cleanly;
# then the real game killed by each fatal signal must leave its line and die of that signal.
# Usage: bash hostile.sh HOSTILE ZORVANE RESOURCE_DIR [SEED]
set -u
HOSTILE="$(readlink -f "$1")"
GAME="$(readlink -f "$2")"
RESOURCES="$(readlink -f "$3")"
SEED="${4:-20260}"
FLIPS="${HOSTILE_FLIPS:-400}"
scratch="$(mktemp -d /tmp/zorvane-hostile-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
passed=0
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { passed=$((passed + 1)); }

# 1. The flip pass: FLIPS copies of each picture, effect and the music, each with a few bytes of its
# headers changed (the music's page checksums made right again). It fails when SDL reads a taken WAV
# other than the check did, when only the second guard stops a picture, or when anything faults.
(cd "$scratch" && "$HOSTILE" flip "$SEED" "$FLIPS" "$RESOURCES") >"$scratch/flip.txt" 2>&1
status=$?
echo "hostile: seed $SEED: $(tail -n 1 "$scratch/flip.txt")"
if [ "$status" -eq 0 ]; then pass; else fail "the flip pass, status $status: $(cat "$scratch/flip.txt")"; fi

# Again over sdl12-compat, the SDL 2 that may stand in for SDL 1.2, when it is installed: what the
# checks take must be as safe with either.
compat="$(ls /usr/lib/*/sdl12-compat/libSDL-1.2.so.0 2>/dev/null | head -n 1)"
if [ -n "$compat" ]; then
    (cd "$scratch" && LD_LIBRARY_PATH="$(dirname "$compat")" "$HOSTILE" flip "$((SEED + 2))" "$FLIPS" "$RESOURCES") \
        >"$scratch/compat.txt" 2>&1
    status=$?
    echo "hostile: over sdl12-compat: $(tail -n 1 "$scratch/compat.txt")"
    if [ "$status" -eq 0 ]; then pass; else fail "the flip pass over sdl12-compat, status $status: $(cat "$scratch/compat.txt")"; fi
else
    echo "hostile: no sdl12-compat (libsdl1.2-compat) installed; the pass over it is left out"
fi

# The same with another seed under valgrind: nothing the checks take is read outside its buffer.
if command -v valgrind >/dev/null; then
    (cd "$scratch" && valgrind -q --error-exitcode=9 "$HOSTILE" flip "$((SEED + 1))" 40 "$RESOURCES") \
        >"$scratch/valgrind.txt" 2>&1
    status=$?
    if [ "$status" -eq 0 ]; then pass; else fail "the flip pass under valgrind, status $status: $(cat "$scratch/valgrind.txt")"; fi
else
    echo "hostile: valgrind missing; the flip pass ran without it"
fi

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

# 2. A fatal signal: one line, on stdout and at the end of run.log, and death by that very signal.
# The signal goes once run.log has been emptied, which start-up does after the watch is set.
mkdir -p "$scratch/game"
ln -s "$RESOURCES" "$scratch/game/resource"
for name in SEGV FPE BUS ILL ABRT; do
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
    case "$name" in
    SEGV) want="Plix: fatal signal SIGSEGV (invalid memory access)" ;;
    FPE) want="Plix: fatal signal SIGFPE (arithmetic fault)" ;;
    BUS) want="Plix: fatal signal SIGBUS (bad memory access)" ;;
    ILL) want="Plix: fatal signal SIGILL (illegal instruction)" ;;
    ABRT) want="Plix: fatal signal SIGABRT (abort)" ;;
    esac
    if [ "$status" -eq $((128 + number)) ] && [ "$line" = "$want" ] && [ "$logged" = "$want" ]; then
        pass
    else
        fail "SIG$name: status $status (want $((128 + number))), stdout [$line], run.log [$logged], want [$want]"
    fi
done

echo "hostile checks: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
