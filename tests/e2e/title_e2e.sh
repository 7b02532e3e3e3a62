# The title screen in a real window: picture and texts in place, level keys, quitting, a missing sound, wide window.
# Usage: bash title_e2e.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$1" "$2"
e2e_start_xvfb

BG="32,32,32"
QUIT="dPlix system quit."

# A font whose glyphs can be read back from a screenshot: each is one white run and a black column,
# ':' a run of 1 and digit d a run of d + 2, so the level line decodes from one pixel row.
make_reading_font() {
    local font="$E2E_WORK/resource/font" d
    rm -rf "$font"
    mkdir -p "$font"
    convert -size 2x10 xc:black -fill white -draw "rectangle 0,0 0,9" -type TrueColor "BMP3:$font/58.bmp"
    for d in 0 1 2 3 4 5 6 7 8 9; do
        convert -size $((d + 3))x10 xc:black -fill white -draw "rectangle 0,0 $((d + 1)),9" \
            -type TrueColor "BMP3:$font/$((48 + d)).bmp"
    done
}

# read_level: the level shown on screen now, decoded from row 388 of a fresh screenshot.
read_level() {
    local shot="$E2E_SCRATCH/level.png"
    e2e_screenshot "$shot" || { echo "no-shot"; return; }
    convert "$shot" -crop 280x1+40+388 +repage -depth 8 txt:- |
        awk -F'[ ,:]+' 'NR > 1 { white = ($0 ~ /#FFFFFF/); print white }' |
        awk 'BEGIN { run = 0; seen = 0; out = "" }
             { if ($1 == 1) { run++ } else if (run > 0) {
                   if (seen) out = out (run - 2); else if (run == 1) seen = 1
                   run = 0 } }
             END { print out }'
}

tap_level() { # tap_level KEY...: one press of about 7 frames, then more than the 10-frame wait
    e2e_hold 0.12 "$@"
    sleep 0.3
}

# --- 1: what the player sees first, with the real resources --------------------------------
e2e_make_workdir look
e2e_start_game
e2e_wait_window 10 || exit 1
e2e_expect "window size without arguments" "320x480" "$(e2e_window_size)"
e2e_focus
sleep 0.3
shot="$E2E_SCRATCH/title.png"
e2e_expect_true "screenshot taken" e2e_screenshot "$shot"
e2e_expect "background top left" "$BG" "$(e2e_pixel "$shot" 2 2)"
e2e_expect "background bottom right" "$BG" "$(e2e_pixel "$shot" 319 479)"
e2e_expect "background left of the picture" "$BG" "$(e2e_pixel "$shot" 29 60)"
e2e_expect "background above the picture" "$BG" "$(e2e_pixel "$shot" 30 59)"
read -r pw ph < <(identify -format '%w %h\n' "$E2E_RESOURCE/image/zorvane.bmp")
convert "$shot" -crop "${pw}x${ph}+30+60" +repage "$E2E_SCRATCH/picture-drawn.png"
convert "$E2E_RESOURCE/image/zorvane.bmp" "$E2E_SCRATCH/picture-file.png"
e2e_expect "picture drawn whole and opaque at (30, 60)" "0" \
    "$(compare -metric AE "$E2E_SCRATCH/picture-drawn.png" "$E2E_SCRATCH/picture-file.png" null: 2>&1)"
e2e_expect_true "prompt drawn on line 360" test "$(e2e_count_not "$BG" "$shot" 40 360 280 20)" -gt 50
e2e_expect_true "level drawn on line 384" test "$(e2e_count_not "$BG" "$shot" 40 384 280 20)" -gt 20
e2e_expect "nothing between the picture and the prompt" "0" "$(e2e_count_not "$BG" "$shot" 0 $((60 + ph)) 320 $((358 - 60 - ph)))"
e2e_expect "nothing left of the texts" "0" "$(e2e_count_not "$BG" "$shot" 0 360 40 40)"
e2e_tap Escape
e2e_wait_exit 5
e2e_log "Escape on the title:"
e2e_expect_quit "$QUIT"
e2e_expect "run.log holds the one line" "$QUIT" "$(cat "$E2E_WORK/run.log")"

# --- 2: the level keys, read back through a legible font ------------------------------------
e2e_make_workdir level
e2e_copy_resources
make_reading_font
e2e_start_game
e2e_wait_window 10 || exit 1
e2e_focus
sleep 0.3
e2e_expect "level at start" "0" "$(read_level)"
tap_level Down
tap_level Left
e2e_expect "down and left stop at 0" "0" "$(read_level)"
tap_level Up
e2e_expect "a short press is one change (10-frame wait)" "1" "$(read_level)"
for i in 1 2 3 4 5 6 7 8 9 10; do tap_level Right; done
e2e_expect "right stops at 50" "50" "$(read_level)"
tap_level Up
tap_level Right
e2e_expect "up and right stop at 50" "50" "$(read_level)"
tap_level Down
e2e_expect "down from 50" "49" "$(read_level)"
# Directions held together are left to the unit tests: xdotool cannot put two keys down in one frame.
# Held for 0.8 s (about 50 frames at 16 ms each): a change in frames 1, 12, 23, 34, 45 only.
before="$(read_level)"
e2e_hold 0.8 Down
sleep 0.3
changes=$(( before - $(read_level) ))
e2e_expect_true "a held key repeats after the wait, not every frame ($changes changes)" \
    test "$changes" -ge 2 -a "$changes" -le 6
e2e_tap Escape
e2e_wait_exit 5
e2e_expect_quit "$QUIT"

# --- 3: closing the window ------------------------------------------------------------------
e2e_make_workdir close
e2e_start_game
e2e_wait_window 10 || exit 1
sleep 0.3
e2e_expect_true "close request sent" e2e_close_window
e2e_wait_exit 5
e2e_log "closing the window:"
e2e_expect_quit "$QUIT"

# --- 4: any argument gives the wide window, the field in its left 320 columns ---------------
e2e_make_workdir wide
e2e_start_game wide
e2e_wait_window 10 || exit 1
e2e_expect "window size with an argument" "640x480" "$(e2e_window_size)"
e2e_focus
sleep 0.3
shot="$E2E_SCRATCH/wide.png"
e2e_expect_true "wide screenshot taken" e2e_screenshot "$shot"
e2e_expect "wide screenshot size" "640x480" "$(identify -format '%wx%h' "$shot")"
e2e_expect "right-hand columns hold only the clear" "0" "$(e2e_count_not "$BG" "$shot" 320 0 320 480)"
e2e_expect_true "picture still at (30, 60)" test "$(e2e_count_not "$BG" "$shot" 30 60 200 200)" -gt 1000
e2e_tap Escape
e2e_wait_exit 5
e2e_expect_quit "$QUIT"

# --- 5: a missing sound effect ends the run before the title --------------------------------
e2e_make_workdir nokin
e2e_copy_resources
rm "$E2E_WORK/resource/sound/kin.wav"
e2e_start_game
e2e_wait_exit 10
e2e_expect "status without kin.wav" "0" "$E2E_STATUS"
last="$(e2e_last_line "$E2E_WORK/stdout.txt")"
e2e_expect_true "message names the file: $last" \
    bash -c '[[ "$1" == "Plix_loadWAV: "?*" (resource/sound/kin.wav)" ]]' _ "$last"
e2e_expect "run.log holds only that message" "$last" "$(cat "$E2E_WORK/run.log")"
e2e_expect "no screenshot, nothing else written" "" "$(ls "$E2E_WORK" | grep -v -e resource -e run.log -e stdout.txt -e stderr.txt)"

e2e_finish
