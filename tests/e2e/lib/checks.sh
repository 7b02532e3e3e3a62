# e2e helpers: checks and their tally, and the game's screens as the scripts expect them.
# shellcheck shell=bash

E2E_PASSES=0
E2E_FAILURES=0
E2E_FAILED_WORKS=() # working directories with a failed check, whose game output is shown at the end

# e2e_pass DESCRIPTION: records a passed check.
e2e_pass() {
    e2e_log "ok: $*"
    E2E_PASSES=$((E2E_PASSES + 1))
}

# e2e_fail MESSAGE: records a failed check of the run in E2E_WORK.
e2e_fail() {
    e2e_log "FAIL: $*"
    E2E_FAILURES=$((E2E_FAILURES + 1))
    if [ -n "$E2E_WORK" ] && [[ " ${E2E_FAILED_WORKS[*]} " != *" $E2E_WORK "* ]]; then
        E2E_FAILED_WORKS+=("$E2E_WORK")
    fi
}

# e2e_show_failed_output: the standard output and error of every run with a failed check, so that a
# failure on a busy machine can be understood from the test log alone.
e2e_show_failed_output() {
    local work file
    for work in "${E2E_FAILED_WORKS[@]}"; do
        for file in stdout.txt stderr.txt; do
            [ -f "$work/$file" ] || continue
            e2e_log "---- $(basename "$work")/$file ($(wc -l <"$work/$file") lines) ----"
            # A text-mode driver's terminal codes come as one endless line.
            head -n 200 "$work/$file" | cut -c 1-400 >&2
        done
    done
    E2E_FAILED_WORKS=()
}

# e2e_expect DESCRIPTION EXPECTED ACTUAL: records a failure when they differ.
e2e_expect() {
    if [ "$2" == "$3" ]; then
        e2e_pass "$1"
    else
        e2e_fail "$1: expected [$2], got [$3]"
    fi
}

# e2e_expect_true DESCRIPTION COMMAND...: records a failure when the command fails.
e2e_expect_true() {
    local what="$1"
    shift
    if "$@"; then
        e2e_pass "$what"
    else
        e2e_fail "$what"
    fi
}

# e2e_expect_quit MESSAGE: the game has ended with status 0 and MESSAGE last on stdout and in run.log.
e2e_expect_quit() {
    e2e_expect "exit status" "0" "$E2E_STATUS"
    e2e_expect "last line on stdout" "$1" "$(e2e_last_line "$E2E_WORK/stdout.txt")"
    e2e_expect "last line of run.log" "$1" "$(e2e_last_line "$E2E_WORK/run.log")"
}

# e2e_finish: the tally, which scripts/test.sh adds up, and the script's exit status: non-zero when any
# check failed, and when none ran at all.
e2e_finish() {
    e2e_log "checks: $E2E_PASSES passed, $E2E_FAILURES failed"
    if [ "$E2E_FAILURES" -gt 0 ] || [ "$E2E_PASSES" -eq 0 ]; then
        exit 1
    fi
    exit 0
}

# e2e_expect_same DESCRIPTION SHOT WANT [X Y W H]: a failed check unless the screenshot equals the
# expected picture in the rectangle (or everywhere); a failure lists the first differing pixels and
# keeps both pictures in the scratch area (which E2E_KEEP=1 keeps after the run).
e2e_expect_same() {
    local what="$1" n
    shift
    n="$(e2e_differ "$@")"
    if [ "$n" = "0" ]; then
        e2e_pass "$what"
        return 0
    fi
    e2e_fail "$what: $n pixels differ"
    local kept="$E2E_SCRATCH/failed-$E2E_FAILURES"
    cp "$1" "$kept-shot.png" && cp "$2" "$kept-want.png"
    e2e_first_differences "$1" "$2" "${3:-0}" "${4:-0}" "${5:-100000}" "${6:-100000}" >&2
    e2e_log "  pictures: $kept-shot.png, $kept-want.png"
    return 1
}

# --- The screens of the game as the scripts see them ------------------------------------------------

E2E_PROMPT="PUSH 'Z' or Joystick'1'"

# e2e_expect_title SHOT LEVEL [whole]: the title screen exactly: the picture at (30, 60), the prompt at
# (40, 360) and "LEVEL : LEVEL" at (40, 384), over the background, which fills any wider window too.
# Each part is a check of its own, unless "whole" asks for the whole screen alone.
e2e_expect_title() {
    local shot="$1" level="$2" want="$E2E_SCRATCH/title-want.png" pw ph size
    size="$(e2e_size "$shot")"
    read -r pw ph < <(e2e_size "$E2E_RESOURCE/image/zorvane.bmp")
    e2e_picture "$want" ${size% *} ${size#* } "image $E2E_RESOURCE/image/zorvane.bmp 30 60" \
        "text 40 360 $E2E_PROMPT" "text 40 384 LEVEL : $level"
    if [ "${3:-}" = whole ]; then
        e2e_expect_same "the whole title screen at level $level" "$shot" "$want"
        return
    fi
    e2e_expect_same "title picture opaque at (30, 60)" "$shot" "$want" 29 59 $((pw + 2)) $((ph + 2))
    E2E_OPS=()
    e2e_text_ops 40 360 "$E2E_PROMPT"
    e2e_expect_same "prompt at (40, 360)" "$shot" "$want" 38 358 $((E2E_TEXT_END - 36)) $((E2E_TEXT_HEIGHT + 4))
    e2e_text_ops 40 384 "LEVEL : $level"
    e2e_expect_same "LEVEL : $level at (40, 384)" "$shot" "$want" 38 382 $((E2E_TEXT_END - 36)) $((E2E_TEXT_HEIGHT + 4))
    e2e_expect_same "the whole title screen at level $level" "$shot" "$want"
}

# e2e_title_level_box: "X Y W H" of the title's LEVEL line, wide enough for any level.
e2e_title_level_box() {
    echo "38 382 $(($(e2e_text_width "LEVEL : 50") + 24)) $((${E2E_GLYPH_HEIGHT[48]:-18} + 4))"
}

# e2e_read_title_level SHOT: the level that the title shows.
e2e_read_title_level() {
    e2e_read_number "$1" $((40 + $(e2e_text_width "LEVEL : "))) 384
}

# e2e_expect_fresh_game SHOT [LEVEL]: a game seen before its first wave leaves the boss: boss, bar,
# ship, pods, charge bar and HUD exact, and nothing else on the field. TIME is read from the shot;
# the charge, 120 at the start and one more every frame of play, gives the bar's width from it.
e2e_expect_fresh_game() {
    local shot="$1" level="${2:-0}" want="$E2E_SCRATCH/game-want.png" t bar colour pods pod=255,255,0
    t="$(e2e_read_number "$shot" $((10 + $(e2e_text_width "TIME  : "))) 50)"
    if [ -z "$t" ]; then
        e2e_fail "no TIME number at (10, 50)"
        return 1
    fi
    # The first wave leaves the boss at frame 60; a later shot cannot tell what the field should hold.
    if [ "$t" -ge 60 ]; then
        e2e_fail "the screenshot came at frame $t of the game, too late to judge its field"
        return 1
    fi
    e2e_log "the screenshot shows frame $t of the game"
    bar=$(((120 + t) * 300 / 240))
    colour="$(e2e_pixel "$shot" 10 450)"
    # The pods swing out from the ship's centre in the first frame of play.
    if [ "$t" -eq 0 ]; then
        pods=("fill 156 380 8 8 $pod" "fill 156 380 8 8 $pod")
    else
        pods=("fill 151 344 8 8 $pod" "fill 161 344 8 8 $pod")
    fi
    e2e_picture "$want" 320 480 "fill 152 376 16 16 64,64,255" "${pods[@]}" \
        "fill 10 450 $bar 5 $colour" "fill 120 30 80 80 0,255,0" "fill 10 10 300 10 0,255,128" \
        "text 10 20 SCORE : 0" "text 10 50 TIME  : $t" "text 10 456 RATIO : x0 + 0" \
        "text 200 456 MAX : x0" "text 0 0 LEVEL $level"
    e2e_expect_same "boss: green 80 x 80 centred on (160, 70)" "$shot" "$want" 119 29 82 82
    e2e_expect_same "hit-point bar: full, (0, 255, 128), 300 x 10 at (10, 10)" "$shot" "$want" 9 9 302 12
    e2e_expect_same "ship: blue 16 x 16 centred on (160, 384)" "$shot" "$want" 151 375 18 18
    e2e_expect_same "pods: ($pod) 8 x 8 at (155, 348) and (165, 348)" "$shot" "$want" 150 343 20 10
    e2e_expect_same "charge bar: one colour, $bar x 5 at (10, 450)" "$shot" "$want" 9 449 $((bar + 2)) 7
    local line x y text
    for line in "10 20 SCORE : 0" "10 50 TIME  : $t" "10 456 RATIO : x0 + 0" "200 456 MAX : x0" \
        "0 0 LEVEL $level"; do
        read -r x y _ <<<"$line"
        text="${line#* * }"
        E2E_OPS=()
        e2e_text_ops "$x" "$y" "$text"
        e2e_expect_same "$text at ($x, $y)" "$shot" "$want" $((x - 1)) $((y - 1)) \
            $((E2E_TEXT_END - x + 2)) $((E2E_TEXT_HEIGHT + 2))
    done
    e2e_expect_same "the whole field at frame $t" "$shot" "$want"
}
