# The program entry where no other test reaches (SDL's dummy drivers, no X): missing resources and
# their order, SDL that cannot start, no sound device, a text-mode driver's own signal handlers, a
# standard output with no reader, and the icon and font that may be missing. The damaged files are
# tests/damaged's, the plain-file rules of run.log the unit tests', the order of the way out
# tests/compat/exit_order.sh's.
# Usage: bash entry_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
export SDL_VIDEODRIVER=dummy
EARLIER="line of an earlier run"

# The sounds load first, in the table's order: without the first sound and the title picture the
# game stops on the sound, its message run.log's only line, and writes nothing else.
e2e_make_workdir first-of-the-table
e2e_copy_resources
echo "$EARLIER" >"$E2E_WORK/run.log"
rm "$E2E_WORK/resource/sound/kreel.wav" "$E2E_WORK/resource/image/zorvane.bmp"
e2e_start_game
e2e_wait_exit 30
out="$(e2e_last_line "$E2E_WORK/stdout.txt")"
e2e_expect "first of the table: exit status" "$E2E_FAIL_STATUS" "$E2E_STATUS"
e2e_expect_true "first of the table: message [$out]" \
    eval '[[ "$out" == "Plix_loadWAV: "?*" (resource/sound/kreel.wav)" ]]'
e2e_expect "first of the table: run.log" "$out" "$(cat "$E2E_WORK/run.log")"
e2e_expect "first of the table: nothing else written" "resource run.log stderr.txt stdout.txt" \
    "$(ls "$E2E_WORK" | paste -sd ' ')"

# SDL itself cannot start: the message goes after the previous run's lines, which stay.
e2e_make_workdir no-sdl
echo "$EARLIER" >"$E2E_WORK/run.log"
e2e_start_game SDL_VIDEODRIVER=no-such-driver
e2e_wait_exit 30
e2e_expect "no SDL: exit status" "$E2E_FAIL_STATUS" "$E2E_STATUS"
e2e_expect "no SDL: run.log keeps the earlier run" "$EARLIER
Plix_init: Couldn't initialize SDL" "$(cat "$E2E_WORK/run.log")"
e2e_expect "no SDL: stdout" "Plix_init: Couldn't initialize SDL" "$(cat "$E2E_WORK/stdout.txt")"

# No sound device (SDL's file-writing driver aimed at a directory): the game says so once on standard
# error and plays in silence on SDL's dummy driver.
e2e_make_workdir no-audio
mkdir "$E2E_WORK/not-a-file"
e2e_start_game SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/not-a-file"
e2e_stop_with TERM
e2e_expect_quit "no sound device"
said="$(cat "$E2E_WORK/stderr.txt")"
e2e_expect "no audio: lines on stderr" 1 "$(grep -c '' "$E2E_WORK/stderr.txt")"
e2e_expect_true "no audio: the line [$said]" eval '[[ "$said" == "zorvane: no sound device ("?*"); playing without sound" ]]'

# A text-mode driver the player named: SDL's caca draws through a terminal library with handlers of
# its own for SIGTERM and SIGINT, which would end the run with status 1 and nothing in run.log. Either
# signal once run.log is there, when that library has started, is a quit as with every other driver.
# An SDL without the driver (SDL 2's sdl12-compat has none) cannot start at all.
for sig in TERM INT; do
    e2e_make_workdir "caca-$sig"
    e2e_start_game SDL_VIDEODRIVER=caca TERM=xterm
    e2e_stop_with "$sig"
    if [ "$(e2e_last_line "$E2E_WORK/run.log")" = "Plix_init: Couldn't initialize SDL" ]; then
        e2e_log "SKIP: caca: this SDL has no caca driver"
        break
    fi
    e2e_expect "caca, SIG$sig: exit status" 0 "$E2E_STATUS"
    e2e_expect "caca, SIG$sig: run.log" "$E2E_QUIT" "$(cat "$E2E_WORK/run.log")"
    e2e_expect_true "caca, SIG$sig: the quit on stdout among the terminal codes" grep -qF "$E2E_QUIT" "$E2E_WORK/stdout.txt"
done

# A standard output whose reader is gone (SIGPIPE on every write) neither kills the game nor keeps
# the quit from run.log.
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
e2e_stop_with TERM
e2e_expect "closed pipe: exit status" 0 "$E2E_STATUS"
e2e_expect "closed pipe: run.log" "$E2E_QUIT" "$(cat "$E2E_WORK/run.log")"

# No icon and no font are no errors: the game runs into its frame loop, where the signal quits it.
e2e_make_workdir without-icon-and-font
e2e_copy_resources
rm -r "$E2E_WORK/resource/plix.bmp" "$E2E_WORK/resource/font"
e2e_start_game
e2e_stop_with TERM
e2e_expect_quit "without icon and font"
e2e_finish
