# The title screen in a real window: picture and texts exactly in place, level keys, quitting, a missing
# sound, wide window.
# Usage: bash title_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
e2e_start_xvfb

QUIT="dPlix system quit."

# read_level: sets SHOWN to the level on screen now, read from a fresh screenshot whose whole title
# must then be exact for that level.
read_level() {
    local shot="$E2E_SCRATCH/level.png"
    SHOWN="no screenshot"
    e2e_screenshot "$shot" || return
    SHOWN="$(e2e_read_title_level "$shot")"
    SHOWN="${SHOWN:-none}"
    e2e_expect_title "$shot" "$SHOWN"
}

# tap_level KEY: one press of at most seven frames, then well past the 10-frame wait.
tap_level() {
    e2e_tap "$@"
    sleep 0.5
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
e2e_tap Escape
e2e_wait_exit 10
e2e_log "Escape on the title:"
e2e_expect_quit "$QUIT"
e2e_expect "run.log holds the one line" "$QUIT" "$(cat "$E2E_WORK/run.log")"

# --- 2: the level keys ---------------------------------------------------------------------------------
e2e_make_workdir level
e2e_start_game
e2e_wait_window || exit 1
e2e_focus
read_level
e2e_expect "level at start" "0" "$SHOWN"
tap_level Down
tap_level Left
read_level
e2e_expect "down and left stop at 0" "0" "$SHOWN"
tap_level Up
read_level
e2e_expect "a short press is one change (10-frame wait)" "1" "$SHOWN"
for i in 1 2 3 4 5 6 7 8 9 10; do tap_level Right; done
read_level
e2e_expect "right stops at 50" "50" "$SHOWN"
tap_level Up
tap_level Right
read_level
e2e_expect "up and right stop at 50" "50" "$SHOWN"
tap_level Down
read_level
e2e_expect "down from 50" "49" "$SHOWN"
# Directions held together are left to the unit tests: xdotool cannot put two keys down in one frame.
# A held key changes the level in frames 1, 12, 23 and so on; frames are at least 16 ms apart, so the
# hold's length bounds the changes from above.
read_level
before="$SHOWN"
start=$(date +%s%N)
e2e_hold 1.5 Down
held_ms=$((($(date +%s%N) - start) / 1000000))
sleep 0.5
read_level
most=$(((held_ms / 16) / 11 + 1))
changes="unknown"
[[ "$before$SHOWN" =~ ^[0-9]+$ ]] && changes=$((before - SHOWN))
e2e_expect_true "a held key repeats after the wait, not every frame: $changes changes in $held_ms ms, at most $most" \
    test "$changes" != unknown -a "$changes" -ge 2 -a "$changes" -le "$most"
e2e_tap Escape
e2e_wait_exit 10
e2e_expect_quit "$QUIT"

# --- 3: closing the window -----------------------------------------------------------------------------
e2e_make_workdir close
e2e_start_game
e2e_wait_window || exit 1
e2e_expect_true "close request sent" e2e_close_window
e2e_wait_exit 10
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
e2e_expect "wide screenshot size" "640x480" "$(identify -format '%wx%h' "$shot")"
e2e_expect_title "$shot" 0
e2e_tap Escape
e2e_wait_exit 10
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
