# A game started from the title in a real window: boss, its bar, ship, pods, charge bar and HUD exactly
# in place; the ship steers right; then quit.
# Usage: bash gameplay_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
e2e_start_xvfb

QUIT="dPlix system quit."
SHIP="64,64,255"

e2e_make_workdir play
e2e_start_game
e2e_wait_window || exit 1
e2e_focus

# A push of z on the title starts the game; the look after it comes a few frames into the game, long
# before the first wave leaves the boss at frame 60.
shot="$E2E_SCRATCH/play.png"
e2e_press_and_look "$shot" z || exit 1
# A push of Right moves the ship for every frame that sees it, at least one.
moved="$E2E_SCRATCH/moved.png"
e2e_press_and_look "$moved" Right || moved=""

e2e_expect_fresh_game "$shot"

# Five pixels a frame to the right, the pods along: the ship's left edge on its row tells how far.
left="$([ -n "$moved" ] && e2e_rgb "$moved" - 0 384 320 1 | od -An -v -tu1 -w3 |
    awk -v ship="${SHIP//,/ }" '$1 " " $2 " " $3 == ship { print NR - 1; exit }')"
e2e_expect_true "ship moved right in whole steps of 5 (left edge at [$left])" \
    test -n "$left" -a "$((${left:-152} - 152))" -gt 0 -a "$(((${left:-152} - 152) % 5))" -eq 0
if [ -n "$left" ]; then
    want="$E2E_SCRATCH/moved-want.png"
    e2e_picture "$want" 320 480 "fill $left 376 16 16 $SHIP" "fill $((left - 1)) 344 8 8 255,255,0" \
        "fill $((left + 9)) 344 8 8 255,255,0"
    e2e_expect_same "ship after steering: 16 x 16 with its left edge at $left" "$moved" "$want" \
        $((left - 1)) 375 18 18
    e2e_expect_same "pods after steering, 32 px above the ship" "$moved" "$want" $((left - 2)) 343 20 10
    e2e_expect_same "nothing left where the ship started" "$moved" "$want" 140 340 $((left - 142)) 60
fi

e2e_quit_with Escape
e2e_expect_quit "$QUIT"
e2e_finish
