# The title screen in a real window: picture and texts exactly in place, level keys, quitting, a missing
# sound, wide window.
# Usage: bash title_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
e2e_start_xvfb

QUIT="dPlix system quit."
SHOTS=0

# read_level [exact]: sets SHOWN to the level on screen now and LEVEL_SHOT to its screenshot; with
# "exact", the whole title must be exact for that level.
read_level() {
    LEVEL_SHOT="$E2E_SCRATCH/level-$((SHOTS += 1)).png"
    SHOWN="no screenshot"
    e2e_screenshot "$LEVEL_SHOT" || return
    SHOWN="$(e2e_read_title_level "$LEVEL_SHOT")"
    SHOWN="${SHOWN:-none}"
    [ -z "${1:-}" ] || e2e_expect_title "$LEVEL_SHOT" "$SHOWN" whole
}

# press KEY EXPECTED WHAT: one push of KEY from the level LEVEL must give EXPECTED, exactly as drawn.
# The look after the push shows all it did. A push that changed nothing came within the 10-frame wait
# after the change before, which the title does not show, and is made again.
LEVEL=0
press() {
    local shot shown="" try
    for try in 1 2 3 4 5; do
        shot="$E2E_SCRATCH/press-$((SHOTS += 1)).png"
        e2e_press_and_look "$shot" "$1" || return
        shown="$(e2e_read_title_level "$shot")"
        [ "$shown" = "$LEVEL" ] || break
        e2e_log "$1 at level $LEVEL changed nothing (within the wait?): push $try"
    done
    e2e_expect "$3" "$2" "${shown:-none}"
    e2e_expect_title "$shot" "$2" whole
    [ -z "$shown" ] || LEVEL="$shown"
}

# --- 1: what the player sees first ---------------------------------------------------------------------
e2e_make_workdir look
e2e_start_game
e2e_wait_window || exit 1
e2e_expect "window size without arguments" "320x480" "$(e2e_window_size)"
e2e_focus
shot="$E2E_SCRATCH/title.png"
e2e_screenshot "$shot" || exit 1
e2e_expect_title "$shot" 0
e2e_quit_with Escape
e2e_log "Escape on the title:"
e2e_expect_quit "$QUIT"
e2e_expect "run.log holds the one line" "$QUIT" "$(cat "$E2E_WORK/run.log")"

# --- 2: the level keys ---------------------------------------------------------------------------------
# Each limit shows as a change that stops short: 1 - 5 gives 0, 46 + 5 and 49 + 5 give 50.
e2e_make_workdir level
e2e_start_game
e2e_wait_window || exit 1
e2e_focus
press Up 1 "up adds one"
press Left 0 "left from 1 stops at 0"
press Up 1 "up from 0"
for level in 6 11 16 21 26 31 36 41 46; do
    press Right "$level" "right adds five"
done
press Right 50 "right from 46 stops at 50"
press Down 49 "down takes one"
press Right 50 "right from 49 stops at 50"
press Down 49 "down from 50"
press Left 44 "left takes five"

# Directions held together are left to the unit tests. A held key changes the level in frames 1, 12,
# 23 and so on of its hold; frames are at least 16 ms apart, so the hold's length bounds the changes
# from above. The key stays down until the title has shown three changes.
read_level
before="$SHOWN" look="$LEVEL_SHOT"
start=$(e2e_now_ms)
xdotool keydown Down
for i in 1 2 3; do
    # shellcheck disable=SC2046
    e2e_shoot_until_change "$look" "$E2E_SCRATCH/held-$i.png" $(e2e_title_level_box) || break
    look="$E2E_SCRATCH/held-$i.png"
done
xdotool keyup Down
held_ms=$(($(e2e_now_ms) - start))
read_level exact
# Snapshots come at least 16 ms apart by the game's clock, which counts whole milliseconds.
most=$((((held_ms / 15) + 2) / 11 + 1))
changes="unknown"
[[ "$before$SHOWN" =~ ^[0-9]+$ ]] && changes=$((before - SHOWN))
e2e_expect_true "a held key repeats after the wait, not every frame: $changes changes in $held_ms ms, 3 to $most" \
    test "$changes" != unknown -a "$changes" -ge 3 -a "$changes" -le "$most"
e2e_quit_with Escape
e2e_expect_quit "$QUIT"

# --- 3: closing the window -----------------------------------------------------------------------------
e2e_make_workdir close
e2e_start_game
e2e_wait_window || exit 1
e2e_expect_true "close request sent" e2e_close_window
e2e_wait_exit 30
e2e_log "closing the window:"
e2e_expect_quit "$QUIT"

# --- 4: any argument gives the wide window, the field in its left 320 columns --------------------------
e2e_make_workdir wide
e2e_start_game wide
e2e_wait_window || exit 1
e2e_expect "window size with an argument" "640x480" "$(e2e_window_size)"
e2e_focus
shot="$E2E_SCRATCH/wide.png"
e2e_screenshot "$shot" || exit 1
e2e_expect "wide screenshot size" "640 480" "$(e2e_size "$shot")"
e2e_expect_title "$shot" 0
e2e_quit_with Escape
e2e_expect_quit "$QUIT"

# --- 5: a missing sound effect ends the run before the title -------------------------------------------
e2e_make_workdir nokin
e2e_copy_resources
rm "$E2E_WORK/resource/sound/kin.wav"
e2e_start_game
e2e_wait_exit 30
e2e_expect "status without kin.wav" "$E2E_FAIL_STATUS" "$E2E_STATUS"
last="$(e2e_last_line "$E2E_WORK/stdout.txt")"
e2e_expect_true "message names the file: $last" \
    bash -c '[[ "$1" == "Plix_loadWAV: "?*" (resource/sound/kin.wav)" ]]' _ "$last"
e2e_expect "run.log holds only that message" "$last" "$(cat "$E2E_WORK/run.log")"
e2e_expect "no screenshot, nothing else written" "" \
    "$(ls "$E2E_WORK" | grep -v -e resource -e run.log -e stdout.txt -e stderr.txt)"

e2e_finish
