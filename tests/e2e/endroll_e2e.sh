# The game's loop in a real window as far as a scripted player gets: title, game, game over, restart.
# A player who cannot see the screen is hit by the first aimed wave within about 440 frames whatever
# the seed, and only a player reading the bullets survives to the clear; so the clear, the end roll
# and the return to the title are played headless in tests/flow/cycle_test.cpp.
# Usage: bash endroll_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
e2e_start_xvfb

BG="32,32,32"
QUIT="dPlix system quit."

all_of() { test "$(e2e_count_not "$1" "$2" "$3" "$4" "$5" "$6")" -eq 0; }
drawn() { test "$(e2e_count_not "$BG" "$1" "$2" "$3" "$4" "$5")" -ge "$6"; }
# text_pixels SHOT X Y W H: pixels of the rectangle in the font's pale blue to white, a colour
# no playfield object has (minions are green, bullets red, the ship a darker blue).
text_pixels() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fx "b > 0.99 && r > 0.6 && g > 0.8" \
        -format '%[fx:int(mean*w*h+0.5)]\n' info:
}
# "GAME OVER" at (120, 240): nine glyphs of font pixels.
game_over_shown() { test "$(text_pixels "$1" 120 240 108 18)" -ge 150; }
# A game just begun: the boss whole at the top, the ship at its start, no end-of-game text.
fresh_game() {
    all_of "0,255,0" "$1" 120 30 80 80 && all_of "64,64,255" "$1" 152 376 16 16 &&
        test "$(text_pixels "$1" 120 240 108 18)" -eq 0
}

e2e_make_workdir cycle
e2e_start_game
e2e_wait_window 10 || exit 1
e2e_focus
sleep 0.3

shot="$E2E_SCRATCH/title.png"
e2e_expect_true "title screenshot" e2e_screenshot "$shot" || exit 1
e2e_expect_true "title picture shown" drawn "$shot" 30 60 200 200 1000
e2e_tap x
sleep 0.2
e2e_expect_true "x on the title starts nothing" e2e_screenshot "$E2E_SCRATCH/title-x.png"
e2e_expect "title unchanged after x" "0" \
    "$(compare -metric AE "$shot" "$E2E_SCRATCH/title-x.png" null: 2>&1)"

e2e_tap z
sleep 0.15
shot="$E2E_SCRATCH/game.png"
e2e_expect_true "game screenshot" e2e_screenshot "$shot" || exit 1
e2e_expect_true "z on the title starts a game" fresh_game "$shot"
e2e_expect "the title picture is gone" "$BG" "$(e2e_pixel "$shot" 60 200)"

# Hands off: two hits (pods, then ship) and the 60-frame flash; at 16 ms a frame that is about
# 8 s, longer when the machine is busy.
over=""
for i in $(seq 1 40); do
    sleep 1
    shot="$E2E_SCRATCH/over.png"
    e2e_screenshot "$shot" || break
    if game_over_shown "$shot"; then
        over="yes"
        break
    fi
done
e2e_expect "GAME OVER shown without input (look $i, one a second)" "yes" "$over"
[ -n "$over" ] || exit 1

# The game over waits for z alone: x and steering change nothing, and the scene stays the game.
e2e_tap x
e2e_tap Up
sleep 0.3
shot="$E2E_SCRATCH/over-x.png"
e2e_expect_true "screenshot after x" e2e_screenshot "$shot"
e2e_expect_true "still GAME OVER after x" game_over_shown "$shot"

e2e_tap z
sleep 0.15
shot="$E2E_SCRATCH/restart.png"
e2e_expect_true "restart screenshot" e2e_screenshot "$shot" || exit 1
[ -n "${E2E_SHOT_OUT:-}" ] && cp "$shot" "$E2E_SHOT_OUT"
e2e_expect_true "z restarts a fresh game at once" fresh_game "$shot"
e2e_expect "no title in between" "$BG" "$(e2e_pixel "$shot" 60 200)"

e2e_tap Escape
e2e_wait_exit 10
e2e_expect_quit "$QUIT"
e2e_finish
