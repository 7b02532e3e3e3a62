# The title screen in a real window, held against the simulator's picture of it: the level keys,
# quitting by Escape, the wide window and its close button.
# Usage: bash title_e2e.sh ZORVANE RESOURCE_DIR ZORVANE_SIM
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2" "$3"
e2e_start_xvfb

# start [ARGS...]: the game in a fresh working directory, its window found and focused.
start() {
    e2e_make_workdir "$((++RUNS))"
    e2e_start_game "$@"
    e2e_wait_window || exit 1
    e2e_focus
}
RUNS=0

# --- what the player sees first -------------------------------------------------------------------
start
e2e_expect "window size without arguments" "320x480" "$(e2e_window_size)"
e2e_screenshot "$E2E_SCRATCH/first.bmp" && e2e_expect_title "$E2E_SCRATCH/first.bmp" 0

# --- the level keys -----------------------------------------------------------------------------
# press KEY LEVEL WHAT: one push of KEY from the level LEVEL shows the title at LEVEL. A push that
# changed nothing came within the 10-frame wait after the change before, which the title does not
# show, and is made again.
LEVEL=0
press() {
    local shot try
    for try in 1 2 3 4 5; do
        shot="$E2E_SCRATCH/press-$((++RUNS)).bmp"
        e2e_press_and_look "$shot" "$1" || return
        [ "$(e2e_differ "$shot" "$(e2e_title "$LEVEL")")" = 0 ] || break
        e2e_log "$1 at level $LEVEL changed nothing (within the wait?): push $try"
    done
    e2e_expect_same "$3: $2" "$shot" "$(e2e_title "$2")"
    LEVEL="$2"
}
# Each limit shows as a change that stops short: 1 - 5 gives 0, 46 + 5 and 49 + 5 give 50.
press Up 1 "up adds one"
press Left 0 "left from 1 stops at 0"
press Up 1 "up from 0"
for level in 6 11 16 21 26 31 36 41 46; do press Right "$level" "right adds five"; done
press Right 50 "right from 46 stops at 50"
press Down 49 "down takes one"
press Right 50 "right from 49 stops at 50"
press Down 49 "down from 50"
press Left 44 "left takes five"

# A held key changes the level in frames 1, 12, 23 and so on of its hold; frames are at least 16 ms
# apart (by the game's clock, in whole milliseconds), so the hold's length bounds the changes from
# above. The key stays down until the title has shown three changes.
look="$(e2e_title 44)"
start=$(e2e_now_ms)
xdotool keydown Down
for i in 1 2 3; do
    e2e_shoot_until_change "$look" "$E2E_SCRATCH/held-$i.bmp" 0 0 320 480 || break
    look="$E2E_SCRATCH/held-$i.bmp"
done
xdotool keyup Down
held_ms=$(($(e2e_now_ms) - start))
most=$((((held_ms / 15) + 2) / 11 + 1))
e2e_screenshot "$E2E_SCRATCH/held.bmp"
for ((changes = 3; changes <= most && changes <= 44; changes++)); do
    [ "$(e2e_differ "$E2E_SCRATCH/held.bmp" "$(e2e_title $((44 - changes)))")" = 0 ] && break
done
if [ "$changes" -le "$most" ] && [ "$changes" -le 44 ]; then
    e2e_pass "a held key repeats after the wait, not every frame: $changes changes in $held_ms ms, 3 to $most"
else
    e2e_expect_same "a held key: the title 3 to $most levels down after $held_ms ms; 3 down" \
        "$E2E_SCRATCH/held.bmp" "$(e2e_title 41)"
fi
e2e_quit_with Escape
e2e_expect_quit "Escape on the title"

# --- any argument gives the wide window, the field in its left 320 columns; its close button quits --
start wide
e2e_expect "window size with an argument" "640x480" "$(e2e_window_size)"
e2e_screenshot "$E2E_SCRATCH/wide.bmp" && e2e_expect_title "$E2E_SCRATCH/wide.bmp" 0 640
e2e_expect_true "close request sent" e2e_close_window
e2e_wait_exit 30
e2e_expect_quit "the window closed"
e2e_finish
