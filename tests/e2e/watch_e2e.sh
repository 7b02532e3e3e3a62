#!/usr/bin/env bash
# zorvane-sim --watch in a real window: paused and stepped by its keys, each frame it shows is the
# game's own picture of that frame; End plays the rest as claimed; Escape closes it.
# Usage: bash watch_e2e.sh ZORVANE_SIM RESOURCE_DIR ZORVANE_SIM
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2" "$3"
e2e_start_xvfb
e2e_make_workdir watch

# A busy stretch of a bot's game, recorded headless.
(cd "$E2E_WORK" && SDL_VIDEODRIVER=dummy "$E2E_BIN" --level 12 --seed 7 --input bot --max-frames 600 \
    --record replay.zvr >/dev/null) || e2e_fail "recording the replay failed"

paused_at() { sed -n 's/^watch: paused at frame \([0-9]*\)$/\1/p' "$E2E_WORK/stdout.txt" | tail -n 1; }
said() { grep -q "$1" "$E2E_WORK/stdout.txt"; }
moved_from() { [ "$(paused_at)" != "$1" ]; }

e2e_start_game --watch replay.zvr
e2e_wait_window || exit 1
e2e_focus
e2e_poll 30 said '^watch: level=12 claimed outcome=cut@600 ' || e2e_fail "no opening line: $(cat "$E2E_WORK/stdout.txt")"

for key in space period; do
    before="$(paused_at)"
    e2e_screenshot "$E2E_SCRATCH/pushed.bmp" "$key"
    e2e_poll 30 moved_from "$before" || e2e_fail "$key: still at [$before]: $(cat "$E2E_WORK/stdout.txt")"
    frame="$(paused_at)"
    [ "$key" = space ] || e2e_expect "a step goes one frame on" "$((before + 1))" "$frame"
    # The picture the simulator leaves at that frame, played at full speed.
    e2e_screenshot "$E2E_SCRATCH/shown-$key.bmp" &&
        e2e_sim_shot "$E2E_SCRATCH/want-$key.bmp" "$frame" --input "$E2E_WORK/replay.zvr" &&
        e2e_expect_same "frame $frame as the watcher shows it (after $key)" \
            "$E2E_SCRATCH/shown-$key.bmp" "$E2E_SCRATCH/want-$key.bmp"
done

e2e_screenshot "$E2E_SCRATCH/pushed.bmp" End
e2e_poll 60 said '^watch: ended cut@600 score=[0-9]* time=[0-9]*: as claimed$' ||
    e2e_fail "End should play the rest as claimed: $(tail -n 2 "$E2E_WORK/stdout.txt")"
e2e_quit_with Escape
e2e_expect "status after Escape" 0 "$E2E_STATUS"
e2e_finish
