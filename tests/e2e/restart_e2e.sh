# The game's loop in a real window as far as a scripted player gets, held against the simulator's
# pictures: title, a fresh game, game over, restart. A player who cannot see the screen is hit by the
# first aimed wave within about 440 frames whatever the seed, and only a player reading the bullets
# survives to the clear; so the clear, the end roll and the return to the title are played headless,
# in the flow tests and the golden cycles.
# Usage: bash restart_e2e.sh ZORVANE RESOURCE_DIR ZORVANE_SIM
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2" "$3"
e2e_start_xvfb
e2e_make_workdir cycle
e2e_start_game
e2e_wait_window || exit 1
e2e_focus

e2e_screenshot "$E2E_SCRATCH/title.bmp" && e2e_expect_title "$E2E_SCRATCH/title.bmp" 0
e2e_press_and_look "$E2E_SCRATCH/title-x.bmp" x && e2e_expect_title "$E2E_SCRATCH/title-x.bmp" 0
e2e_press_and_look "$E2E_SCRATCH/game.bmp" z || exit 1
e2e_expect_fresh_game "z on the title starts a game" "$E2E_SCRATCH/game.bmp"

# still: twelve shots in a row, each of a later frame than the one before, show the same picture.
# TIME goes on in every frame of play but the pauses, 10 frames at most; so a game that stands
# still for longer is over, its field frozen behind the words. Hands off, that comes after two hits
# (pods, then ship) and the 60-frame flash of each: some 8 s at 16 ms a frame, more on a busy machine.
over="$E2E_SCRATCH/over.bmp"
looks=0
still() {
    local i
    looks=$((looks + 1))
    e2e_screenshot "$over" || return 2
    for i in {1..11}; do
        e2e_xkeys -s "$E2E_WORK/screenshot.bmp" >/dev/null && cmp -s "$over" "$E2E_WORK/screenshot.bmp" || return 1
    done
}
e2e_poll 90 still && e2e_pass "the game stands still without input (look $looks)" ||
    { e2e_fail "the game did not stand still within 90 s ($looks looks)"; exit 1; }
# The game over waits for z alone: x and steering change nothing.
e2e_press_and_look "$E2E_SCRATCH/over-x.bmp" x Up &&
    e2e_expect_same "still the same after x and Up" "$E2E_SCRATCH/over-x.bmp" "$over"
e2e_press_and_look "$E2E_SCRATCH/restart.bmp" z || exit 1
e2e_expect_fresh_game "z restarts a fresh game at once, with no title in between" "$E2E_SCRATCH/restart.bmp"

e2e_quit_with Escape
e2e_expect_quit
e2e_finish
