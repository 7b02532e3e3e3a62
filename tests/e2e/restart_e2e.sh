# The game's loop in a real window as far as a scripted player gets: title, game, game over, restart.
# A player who cannot see the screen is hit by the first aimed wave within about 440 frames whatever
# the seed, and only a player reading the bullets survives to the clear; so the clear, the end roll
# and the return to the title are played headless, in the flow tests and the golden cycles.
# Usage: bash restart_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
e2e_start_xvfb

QUIT="dPlix system quit."

# game_over_shown SHOT: every pixel of the glyphs of "GAME OVER" at (120, 240) is there. Only the
# glyphs: bullets and minions stand still on the field behind the text once the game is over.
game_over_shown() {
    e2e_glyphs_over "$1" "$E2E_SCRATCH/over-want.png" 120 240 "GAME OVER"
    [ "$(e2e_differ "$1" "$E2E_SCRATCH/over-want.png" 119 239 110 20)" = 0 ]
}

e2e_make_workdir cycle
e2e_start_game
e2e_wait_window || exit 1
e2e_focus

title="$E2E_SCRATCH/title.png"
e2e_screenshot "$title" || exit 1
e2e_expect_title "$title" 0
e2e_expect_true "x pushed on the title" e2e_press_and_look "$E2E_SCRATCH/title-x.png" x
e2e_expect "title unchanged after x" "0" "$(e2e_differ "$title" "$E2E_SCRATCH/title-x.png")"

shot="$E2E_SCRATCH/game.png"
e2e_press_and_look "$shot" z || exit 1
e2e_log "z on the title starts a game:"
e2e_expect_fresh_game "$shot"

# Hands off: two hits (pods, then ship) and the 60-frame flash; at 16 ms a frame that is about 8 s,
# longer when the machine is busy.
over="$E2E_SCRATCH/over.png"
looks=0
game_over_now() {
    looks=$((looks + 1))
    e2e_screenshot "$over" && game_over_shown "$over"
}
if ! e2e_poll 90 game_over_now; then
    e2e_expect_same "GAME OVER at (120, 240) within 90 s ($looks looks)" "$over" \
        "$E2E_SCRATCH/over-want.png" 119 239 110 20
    exit 1
fi
e2e_pass "GAME OVER shown without input (look $looks)"

# The game over waits for z alone: x and steering change nothing, and the scene stays the game.
shot="$E2E_SCRATCH/over-x.png"
e2e_expect_true "x and up pushed at GAME OVER" e2e_press_and_look "$shot" x Up
e2e_expect_true "still GAME OVER after x and up" game_over_shown "$shot"

restart="$E2E_SCRATCH/restart.png"
e2e_press_and_look "$restart" z || exit 1
e2e_log "z restarts a fresh game at once, with no title in between:"
e2e_expect_fresh_game "$restart"

e2e_quit_with Escape
e2e_expect_quit "$QUIT"
e2e_finish
