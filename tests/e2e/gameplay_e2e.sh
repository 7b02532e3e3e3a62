# A game started from the title in a real window: boss, its bar, ship, pods and HUD in place; then quit.
# Usage: bash gameplay_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
e2e_start_xvfb

BG="32,32,32"
QUIT="dPlix system quit."

# all_of COLOUR SHOT X Y W H: every pixel of the rectangle has the colour.
all_of() { test "$(e2e_count_not "$1" "$2" "$3" "$4" "$5" "$6")" -eq 0; }
# drawn SHOT X Y W H MIN: at least MIN pixels of the rectangle differ from the background.
drawn() { test "$(e2e_count_not "$BG" "$1" "$2" "$3" "$4" "$5")" -ge "$6"; }

e2e_make_workdir play
e2e_start_game
e2e_wait_window 10 || exit 1
e2e_focus
sleep 0.3

# z on the title starts the game; the first wave leaves the boss a second later, so look at once.
e2e_tap z
sleep 0.15
shot="$E2E_SCRATCH/play.png"
e2e_expect_true "screenshot taken" e2e_screenshot "$shot" || exit 1
[ -n "${E2E_SHOT_OUT:-}" ] && cp "$shot" "$E2E_SHOT_OUT"
# Steer right at once too: the checks below take seconds, and by then the first wave's bullets fly.
e2e_hold 0.3 Right
sleep 0.1
moved="$E2E_SCRATCH/moved.png"
e2e_expect_true "second screenshot taken" e2e_screenshot "$moved"

e2e_expect_true "boss: green 80 x 80 centred on (160, 70)" all_of "0,255,0" "$shot" 120 30 80 80
e2e_expect "left of the boss" "$BG" "$(e2e_pixel "$shot" 119 70)"
e2e_expect "right of the boss" "$BG" "$(e2e_pixel "$shot" 200 70)"
e2e_expect "below the boss" "$BG" "$(e2e_pixel "$shot" 160 110)"

# The full bar is 300 px from x 10, 10 high; the LEVEL text at (0, 0) lies over its left end.
e2e_expect_true "hit-point bar full in (0, 255, 128)" all_of "0,255,128" "$shot" 90 10 220 10
e2e_expect "bar ends at x 309" "$BG" "$(e2e_pixel "$shot" 310 15)"
e2e_expect "bar is 10 high" "0,255,128" "$(e2e_pixel "$shot" 200 19)"
e2e_expect "nothing under the bar" "$BG" "$(e2e_pixel "$shot" 200 20)"

e2e_expect_true "ship: blue 16 x 16 centred on (160, 384)" all_of "64,64,255" "$shot" 152 376 16 16
e2e_expect "left of the ship" "$BG" "$(e2e_pixel "$shot" 151 384)"
e2e_expect "right of the ship" "$BG" "$(e2e_pixel "$shot" 168 384)"
e2e_expect_true "left pod: yellow 8 x 8 at (155, 348)" all_of "255,255,0" "$shot" 151 344 8 8
e2e_expect_true "right pod: yellow 8 x 8 at (165, 348)" all_of "255,255,0" "$shot" 161 344 8 8
e2e_expect "gap between the pods" "$BG" "$(e2e_pixel "$shot" 160 348)"
e2e_expect "nothing between pods and ship" "$BG" "$(e2e_pixel "$shot" 160 360)"

e2e_expect_true "LEVEL text at (0, 0)" drawn "$shot" 0 0 84 10 20
e2e_expect_true "SCORE text at (10, 20)" drawn "$shot" 10 20 108 18 40
e2e_expect_true "TIME text at (10, 50)" drawn "$shot" 10 50 108 18 40
e2e_expect_true "RATIO text at (10, 456)" drawn "$shot" 10 456 168 18 60
e2e_expect_true "MAX text at (200, 456)" drawn "$shot" 200 456 96 18 30
e2e_expect_true "charge bar at (10, 450), 150 wide" drawn "$shot" 10 450 150 5 1
e2e_expect "no text where GAME OVER would be" "0" "$(e2e_count_not "$BG" "$shot" 120 240 108 18)"
e2e_expect "background of the field" "$BG" "$(e2e_pixel "$shot" 300 300)"

e2e_expect "start of the ship is empty after steering right" "$BG" "$(e2e_pixel "$moved" 153 384)"

e2e_tap Escape
e2e_wait_exit 10
e2e_expect_quit "$QUIT"
e2e_finish
