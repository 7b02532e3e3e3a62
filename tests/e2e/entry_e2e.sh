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

# The audio device cannot be opened (SDL's file-writing driver aimed at a directory): SDL's reason
# follows "Plix_init: ", and the log has not been emptied yet.
e2e_make_workdir no-audio
echo "$EARLIER" >"$E2E_WORK/run.log"
mkdir "$E2E_WORK/not-a-file"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/not-a-file" e2e_start_game
e2e_wait_exit 30
e2e_expect "no audio: exit status" "$E2E_FAIL_STATUS" "$E2E_STATUS"
out="$(e2e_last_line "$E2E_WORK/stdout.txt")"
e2e_expect_true "no audio: message [$out]" bash -c '[[ "$1" == "Plix_init: "?* ]]' _ "$out"
e2e_expect "no audio: run.log keeps the earlier run" "$EARLIER
$out" "$(cat "$E2E_WORK/run.log")"

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
