# The program entry on damaged resource trees (SDL's dummy drivers, no X): each failure ends the run with
# the failure status and its message last on stdout and in run.log; a missing icon or font directory
# does not.
# Usage: bash entry_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
export SDL_VIDEODRIVER=dummy

EARLIER="line of an earlier run"

# damaged NAME MESSAGE-PATTERN SETUP...: runs the game on a copied tree damaged by SETUP (a command run
# in the working directory) and checks that it stops with a message matching the glob pattern.
damaged() {
    local name="$1" pattern="$2"
    shift 2
    e2e_make_workdir "$name"
    e2e_copy_resources
    echo "$EARLIER" >"$E2E_WORK/run.log"
    (cd "$E2E_WORK" && "$@")
    e2e_start_game
    e2e_wait_exit 30
    local out
    out="$(e2e_last_line "$E2E_WORK/stdout.txt")"
    e2e_expect "$name: exit status" "$E2E_FAIL_STATUS" "$E2E_STATUS"
    e2e_expect_true "$name: message [$out]" bash -c '[[ "$1" == $2 ]]' _ "$out" "$pattern"
    # Every failure after the audio device opened lands in a freshly emptied log.
    e2e_expect "$name: run.log" "$out" "$(cat "$E2E_WORK/run.log")"
}

truncate_to() { head -c "$1" "$2" >"$2.part" && mv "$2.part" "$2"; }

damaged first-of-the-table "Plix_loadWAV: ?* (resource/sound/kreel.wav)" \
    rm resource/sound/kreel.wav resource/image/zorvane.bmp
damaged garbage-wav "Plix_loadWAV: ?* (resource/sound/damage.wav)" \
    bash -c 'echo "not a wave" >resource/sound/damage.wav'
damaged truncated-wav "Plix_loadWAV: ?* (resource/sound/destroy1.wav)" \
    truncate_to 30 resource/sound/destroy1.wav
damaged missing-kin "Plix_loadWAV: ?* (resource/sound/kin.wav)" \
    rm resource/sound/kin.wav
damaged missing-title "Plix_loadBMP: ?*" \
    rm resource/image/zorvane.bmp
damaged truncated-title "Plix_loadBMP: ?*" \
    truncate_to 100 resource/image/zorvane.bmp
damaged damaged-glyph "loadFont: ?*" \
    bash -c 'echo "BM broken" >resource/font/65.bmp'

# SDL itself cannot start: the message goes after the previous run's lines, which stay.
e2e_make_workdir no-sdl
echo "$EARLIER" >"$E2E_WORK/run.log"
SDL_VIDEODRIVER=no-such-driver e2e_start_game
e2e_wait_exit 30
e2e_expect "no SDL: exit status" "$E2E_FAIL_STATUS" "$E2E_STATUS"
e2e_expect "no SDL: run.log keeps the earlier run" "$EARLIER
Plix_init: Couldn't initialize SDL" "$(cat "$E2E_WORK/run.log")"
e2e_expect "no SDL: stdout" "Plix_init: Couldn't initialize SDL" "$(cat "$E2E_WORK/stdout.txt")"

# No sound device (SDL's file-writing driver aimed at a directory): the game says so once on standard
# error, plays in silence on SDL's dummy driver, and its log holds only the line of the quit.
e2e_make_workdir no-audio
mkdir "$E2E_WORK/not-a-file"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/not-a-file" e2e_start_game
e2e_wait_file "$E2E_WORK/run.log" && kill -TERM "$E2E_GAME_PID" 2>/dev/null
e2e_wait_exit 30
e2e_log "no sound device:"
e2e_expect_quit "dPlix system quit."
e2e_expect "no audio: run.log holds the quit alone" "dPlix system quit." "$(cat "$E2E_WORK/run.log")"
said="$(grep -c '' "$E2E_WORK/stderr.txt")"
line="$(grep 'no sound device' "$E2E_WORK/stderr.txt")"
e2e_expect_true "no audio: one line on stderr [$line]" \
    bash -c '[[ "$1" == "zorvane: no sound device ("?*"); playing without sound" && $2 == 1 ]]' _ "$line" "$said"

# No display and no driver chosen: SDL would fall back to drawing in the terminal, which nobody can
# play; the game stops at once as for a mode it cannot set (or, where SDL has no such driver, for an
# SDL that cannot start at all).
e2e_make_workdir no-display
(cd "$E2E_WORK" && exec env -u SDL_VIDEODRIVER -u DISPLAY SDL_AUDIODRIVER=dummy TERM=xterm "$E2E_BIN" \
    </dev/null >"$E2E_WORK/stdout.txt" 2>"$E2E_WORK/stderr.txt") &
E2E_GAME_PID=$!
e2e_wait_exit 30
# SDL's text driver writes its terminal codes around the message, so the line is read from run.log.
out="$(e2e_last_line "$E2E_WORK/run.log")"
e2e_expect "no display: exit status" "$E2E_FAIL_STATUS" "$E2E_STATUS"
e2e_expect_true "no display: the message on stdout too" grep -qF "$out" "$E2E_WORK/stdout.txt"
e2e_expect_true "no display: message [$out]" bash -c \
    '[[ "$1" == "Plix_init: Couldn'"'"'t set video mode" || "$1" == "Plix_init: Couldn'"'"'t initialize SDL" ]]' _ "$out"

# A text-mode driver the player named: SDL's caca draws through a terminal library with handlers of
# its own for SIGTERM and SIGINT, which would end the run with status 1 and nothing in run.log. Either
# signal once run.log is there, when that library has started, is a quit as with every other driver.
# An SDL without the driver (SDL 2's sdl12-compat has none) cannot start at all.
for sig in TERM INT; do
    e2e_make_workdir "caca-$sig"
    (cd "$E2E_WORK" && exec env SDL_VIDEODRIVER=caca SDL_AUDIODRIVER=dummy TERM=xterm "$E2E_BIN" \
        </dev/null >"$E2E_WORK/stdout.txt" 2>"$E2E_WORK/stderr.txt") &
    E2E_GAME_PID=$!
    e2e_wait_file "$E2E_WORK/run.log" && kill -s "$sig" "$E2E_GAME_PID" 2>/dev/null
    e2e_wait_exit 30
    if [ "$(e2e_last_line "$E2E_WORK/run.log")" = "Plix_init: Couldn't initialize SDL" ]; then
        e2e_log "SKIP: caca: this SDL has no caca driver"
        break
    fi
    e2e_expect "caca, SIG$sig: exit status" "0" "$E2E_STATUS"
    e2e_expect "caca, SIG$sig: run.log" "dPlix system quit." "$(cat "$E2E_WORK/run.log")"
    e2e_expect_true "caca, SIG$sig: the quit on stdout among the terminal codes" \
        grep -qF "dPlix system quit." "$E2E_WORK/stdout.txt"
done

# A closed terminal (SIGHUP) quits like SIGTERM, and a standard output whose reader is gone (SIGPIPE on
# every write) neither kills the game nor keeps the quit from run.log.
e2e_make_workdir hangup
e2e_start_game
e2e_wait_file "$E2E_WORK/run.log" && kill -HUP "$E2E_GAME_PID" 2>/dev/null
e2e_wait_exit 30
e2e_log "SIGHUP:"
e2e_expect_quit "dPlix system quit."
e2e_make_workdir closed-pipe
mkfifo "$E2E_WORK/pipe"
# The reader opens the pipe and is gone before the game starts: every write of the game then fails.
(exec 3<"$E2E_WORK/pipe") &
reader=$!
exec 4>"$E2E_WORK/pipe"
wait "$reader"
(cd "$E2E_WORK" && exec env SDL_AUDIODRIVER=dummy "$E2E_BIN" >&4 2>"$E2E_WORK/stderr.txt") &
E2E_GAME_PID=$!
exec 4>&-
e2e_wait_file "$E2E_WORK/run.log" && kill -TERM "$E2E_GAME_PID" 2>/dev/null
e2e_wait_exit 30
e2e_expect "closed pipe: exit status" "0" "$E2E_STATUS"
e2e_expect "closed pipe: run.log" "dPlix system quit." "$(cat "$E2E_WORK/run.log")"

# run.log as something other than a plain file of the game's own: the game plays and quits as ever and
# writes nothing through it. A link's target keeps its bytes, a FIFO without a reader holds nothing up.
for kind in link fifo; do
    e2e_make_workdir "log-$kind"
    echo "$EARLIER" >"$E2E_WORK/elsewhere.txt"
    if [ "$kind" = link ]; then ln -s elsewhere.txt "$E2E_WORK/run.log"; else mkfifo "$E2E_WORK/run.log"; fi
    e2e_start_game
    # No log to wait for: the signal goes once the game takes it as a quit.
    e2e_signal_when_caught TERM
    e2e_wait_exit 30
    e2e_expect "run.log as a $kind: exit status" "0" "$E2E_STATUS"
    e2e_expect "run.log as a $kind: stdout" "dPlix system quit." "$(e2e_last_line "$E2E_WORK/stdout.txt")"
    e2e_expect "run.log as a $kind: the target is untouched" "$EARLIER" "$(cat "$E2E_WORK/elsewhere.txt")"
    e2e_expect_true "run.log as a $kind: still a $kind" test "$([ "$kind" = link ] && echo -L || echo -p)" "$E2E_WORK/run.log"
done

# Not errors: the game runs into its frame loop, where SDL's SIGTERM handler's quit request ends it. The
# signal goes once run.log has been emptied, when that handler is in place; a failure after that
# would end the run with its own message instead of the quit.
for missing in plix.bmp font "plix.bmp font"; do
    name="without-${missing// /-and-}"
    e2e_make_workdir "$name"
    e2e_copy_resources
    (cd "$E2E_WORK/resource" && rm -r $missing)
    e2e_start_game
    e2e_wait_file "$E2E_WORK/run.log" &&
        kill -TERM "$E2E_GAME_PID" 2>/dev/null
    e2e_wait_exit 30
    e2e_log "$name:"
    e2e_expect_quit "dPlix system quit."
done

e2e_finish
