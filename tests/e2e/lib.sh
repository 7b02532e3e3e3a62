# Shared helpers of the end-to-end scripts: Xvfb, the game in a scratch directory, keys, screenshots, checks.
# Source it, then call e2e_setup BIN RESOURCE_DIR; everything started is cleaned up on exit.
# shellcheck shell=bash

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The exit status of a run that ends on a failure message (a damaged file, no SDL); a quit is always 0.
E2E_FAIL_STATUS=1
E2E_BIN=""
E2E_RESOURCE=""
E2E_DISPLAY=""
E2E_XVFB_PID=""
E2E_GAME_PID=""
E2E_WORK=""          # the game's working directory: resource link, run.log, screenshot.bmp, stdout.txt
E2E_SCRATCH=""       # everything this script creates lives below here
E2E_WID=""
E2E_STATUS=""
E2E_FAILURES=0
E2E_FAILED_WORKS=() # working directories with a failed check, whose game output is shown at the end
E2E_CAPTION="/+++ ZORVANE +++/"
E2E_BG="32,32,32"    # the whole-screen clear of the title and of a game
E2E_HOLD=0.1         # a tap: seven frames at most, so a level key changes once

e2e_log() { echo "[e2e] $*" >&2; }

# e2e_setup BIN RESOURCE_DIR: checks the tools, makes the scratch area and installs the clean-up trap.
e2e_setup() {
    E2E_BIN="$(readlink -f "$1")"
    E2E_RESOURCE="$(readlink -f "$2")"
    local tool
    for tool in Xvfb xdotool xwininfo convert compare identify od cc; do
        command -v "$tool" >/dev/null || { e2e_log "missing tool: $tool"; exit 1; }
    done
    [ -x "$E2E_BIN" ] || { e2e_log "no game binary at $1"; exit 1; }
    [ -d "$E2E_RESOURCE" ] || { e2e_log "no resource directory at $2"; exit 1; }
    E2E_SCRATCH="$(mktemp -d /tmp/zorvane-e2e-XXXXXX)"
    # One thread per ImageMagick run: its worker threads only wait for each other on a busy machine.
    export MAGICK_THREAD_LIMIT=1
    # A sanitizer build's leak check would count libX11's own small leak against the game.
    if [ -z "${LSAN_OPTIONS:-}" ]; then
        echo "leak:libX11" >"$E2E_SCRATCH/lsan.supp"
        export LSAN_OPTIONS="suppressions=$E2E_SCRATCH/lsan.supp"
    fi
    trap e2e_cleanup EXIT
    trap 'exit 1' INT TERM
    e2e_load_font
}

e2e_cleanup() {
    e2e_kill_game
    e2e_show_failed_output
    if [ -n "$E2E_XVFB_PID" ] && kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    E2E_XVFB_PID=""
    if [ -n "$E2E_SCRATCH" ] && [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_SCRATCH"; fi
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
            head -n 200 "$work/$file" >&2
        done
    done
    E2E_FAILED_WORKS=()
}

# e2e_start_xvfb: a 24-bit 1024x768 X server of this script's own; sets DISPLAY.
# -displayfd: the server takes the first free display under its lock and names it only then, so two
# scripts starting at once never share a server whose owner's clean-up would kill it under the other.
# -noreset: by default the server resets when its last client leaves; SDL closes the connection it
# probes the driver with before it opens its real one, which then finds the server resetting.
e2e_start_xvfb() {
    local numbers="$E2E_SCRATCH/xvfb-display" n="" i
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$numbers" >"$E2E_SCRATCH/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    for i in $(seq 1 600); do
        n="$(grep -xE '[0-9]+' "$numbers" 2>/dev/null)"
        [ -n "$n" ] && break
        kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    if [ -z "$n" ]; then
        e2e_log "Xvfb named no display within 30 s:"
        cat "$E2E_SCRATCH/xvfb.log" >&2
        exit 1
    fi
    E2E_DISPLAY=":$n"
    export DISPLAY="$E2E_DISPLAY"
    xwininfo -root >/dev/null || { e2e_log "Xvfb on $DISPLAY does not answer"; exit 1; }
}

# e2e_make_workdir [NAME]: a fresh working directory with a `resource` link to the real tree; sets E2E_WORK.
e2e_make_workdir() {
    E2E_WORK="$E2E_SCRATCH/${1:-run}"
    rm -rf "$E2E_WORK"
    mkdir -p "$E2E_WORK"
    ln -s "$E2E_RESOURCE" "$E2E_WORK/resource"
}

# e2e_copy_resources: replaces the link by a private copy that a test may damage.
e2e_copy_resources() {
    rm -f "$E2E_WORK/resource"
    cp -rL "$E2E_RESOURCE" "$E2E_WORK/resource"
}

# e2e_start_game [ARGS...]: starts the game in E2E_WORK with dummy audio; stdout goes to E2E_WORK/stdout.txt.
e2e_start_game() {
    (cd "$E2E_WORK" && exec env SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" "$E2E_BIN" "$@" \
        >"$E2E_WORK/stdout.txt" 2>"$E2E_WORK/stderr.txt") &
    E2E_GAME_PID=$!
}

# e2e_wait_window [SECONDS]: waits until the game's window is on screen (mapped: input focus can only go
# to a mapped window) and sets E2E_WID; a failed check when it never comes or the game ends first.
e2e_wait_window() {
    local limit=$((${1:-30} * 20)) i wid
    for i in $(seq 1 "$limit"); do
        wid="$(xwininfo -root -tree 2>/dev/null | grep -F "\"$E2E_CAPTION\"" | awk 'NR == 1 {print $1}')"
        if [ -n "$wid" ] && xwininfo -id "$wid" 2>/dev/null | grep -q 'Map State: IsViewable'; then
            E2E_WID="$wid"
            return 0
        fi
        if [ -n "$E2E_GAME_PID" ] && ! kill -0 "$E2E_GAME_PID" 2>/dev/null; then
            e2e_fail "the game ended before its window appeared"
            return 1
        fi
        sleep 0.05
    done
    e2e_fail "no window captioned $E2E_CAPTION within ${1:-30} s"
    return 1
}

# e2e_wait_file FILE [SECONDS]: waits until FILE exists; a failed check when it does not in time.
e2e_wait_file() {
    local limit=$((${2:-30} * 20)) i
    for i in $(seq 1 "$limit"); do
        [ -e "$1" ] && return 0
        sleep 0.05
    done
    e2e_fail "no $(basename "$1") within ${2:-30} s"
    return 1
}

# e2e_window_size: prints "WIDTHxHEIGHT" of the game's window.
e2e_window_size() {
    xwininfo -id "$E2E_WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# e2e_focus: keyboard focus to the game's window. Without a window manager focus follows the pointer,
# so the pointer is parked inside the window as well.
e2e_focus() {
    xdotool mousemove --window "$E2E_WID" 5 5 >/dev/null 2>&1
    xdotool windowfocus --sync "$E2E_WID"
}

# e2e_hold SECONDS KEY...: presses the keys together, holds them, releases them. One xdotool run, so
# the hold is not lengthened by starting a second xdotool process.
e2e_hold() {
    local seconds="$1"
    shift
    xdotool keydown "$@" sleep "$seconds" keyup "$@"
}

# e2e_tap KEY...: a short press that the frame's input snapshot sees.
e2e_tap() { e2e_hold "$E2E_HOLD" "$@"; }

# e2e_bmp_complete FILE: true once SDL has finished FILE. It writes the header's file size and then
# the pixel offset last of all, so both must be there and the size must be the file's.
e2e_bmp_complete() {
    local size stated offset
    size="$(stat -c %s "$1" 2>/dev/null)" || return 1
    read -r stated _ offset < <(od -An -tu4 -j2 -N12 "$1" 2>/dev/null)
    [ -n "${offset:-}" ] && [ "$offset" -gt 0 ] && [ "$stated" = "$size" ]
}

# e2e_screenshot OUT.png [KEY]: F12, waits for the complete screenshot.bmp and converts it; a failed
# check when none comes. With KEY, KEY is tapped first and F12 follows in the same xdotool run, so the
# shot comes a fixed time after the tap with no process start in between.
e2e_screenshot() {
    local out="$1" file="$E2E_WORK/screenshot.bmp" i
    rm -f "$file"
    if [ -n "${2:-}" ]; then
        xdotool keydown "$2" sleep "$E2E_HOLD" keyup "$2" sleep "$E2E_HOLD" \
            keydown F12 sleep "$E2E_HOLD" keyup F12
    else
        e2e_tap F12
    fi
    for i in $(seq 1 400); do
        if e2e_bmp_complete "$file"; then
            convert "$file" "PNG24:$out" && return 0
        fi
        sleep 0.05
    done
    e2e_fail "no screenshot.bmp within 20 s of F12"
    return 1
}

# e2e_pixel IMAGE X Y: prints the pixel's colour as "R,G,B" with 0-255 components.
e2e_pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]\n" info:
}

# e2e_count_not COLOUR IMAGE X Y W H: how many pixels of the rectangle differ from "R,G,B".
e2e_count_not() {
    local colour="$1" image="$2" x="$3" y="$4" w="$5" h="$6"
    convert "$image" -crop "${w}x${h}+${x}+${y}" +repage -type TrueColor "$E2E_SCRATCH/count-part.png"
    convert -size "${w}x${h}" "xc:rgb($colour)" -type TrueColor "$E2E_SCRATCH/count-plain.png"
    compare -metric AE "$E2E_SCRATCH/count-part.png" "$E2E_SCRATCH/count-plain.png" null: 2>&1
    echo
}

# e2e_close_window: sends WM_DELETE_WINDOW, what a window manager's close button sends.
e2e_close_window() {
    if [ ! -x "$E2E_SCRATCH/closewin" ]; then
        cc -O1 -o "$E2E_SCRATCH/closewin" "$E2E_DIR/closewin.c" -lX11 || return 1
    fi
    "$E2E_SCRATCH/closewin" "$E2E_WID"
}

# e2e_wait_exit [SECONDS]: waits for the game to end and sets E2E_STATUS; kills it and fails on timeout.
e2e_wait_exit() {
    local limit=$((${1:-10} * 20)) i
    if [ -z "$E2E_GAME_PID" ]; then
        e2e_fail "no game to wait for"
        E2E_STATUS="none"
        return 1
    fi
    for i in $(seq 1 "$limit"); do
        if ! kill -0 "$E2E_GAME_PID" 2>/dev/null; then
            wait "$E2E_GAME_PID"
            E2E_STATUS=$?
            E2E_GAME_PID=""
            return 0
        fi
        sleep 0.05
    done
    e2e_kill_game
    E2E_STATUS="timeout"
    e2e_fail "game still running after ${1:-10} s"
    return 1
}

e2e_kill_game() {
    if [ -n "$E2E_GAME_PID" ] && kill -0 "$E2E_GAME_PID" 2>/dev/null; then
        kill "$E2E_GAME_PID" 2>/dev/null
        wait "$E2E_GAME_PID" 2>/dev/null
    fi
    E2E_GAME_PID=""
}

# e2e_last_line FILE: the last line of a file, or nothing.
e2e_last_line() { [ -f "$1" ] && tail -n 1 "$1"; }

# e2e_expect DESCRIPTION EXPECTED ACTUAL: records a failure when they differ.
e2e_expect() {
    if [ "$2" == "$3" ]; then
        e2e_log "ok: $1"
    else
        e2e_fail "$1: expected [$2], got [$3]"
    fi
}

# e2e_expect_true DESCRIPTION COMMAND...: records a failure when the command fails.
e2e_expect_true() {
    local what="$1"
    shift
    if "$@"; then
        e2e_log "ok: $what"
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

# e2e_finish: exit status of the script, non-zero when any check failed.
e2e_finish() {
    if [ "$E2E_FAILURES" -gt 0 ]; then
        e2e_log "$E2E_FAILURES check(s) failed"
        exit 1
    fi
    e2e_log "all checks passed"
    exit 0
}

# --- Pictures of what the game should draw, compared with its screenshots pixel for pixel ------------

declare -A E2E_GLYPH_FILE=() E2E_GLYPH_WIDTH=() E2E_GLYPH_HEIGHT=()
E2E_OPS=()          # ImageMagick operations that draw onto the image before them
E2E_TEXT_END=0      # pen position after the last text laid out
E2E_TEXT_HEIGHT=0   # the tallest glyph of that text

# e2e_load_font: the glyph files of the game's font, their widths (each glyph's advance) and heights,
# by character code.
e2e_load_font() {
    local dir="$E2E_RESOURCE/font" name w h
    E2E_GLYPH_FILE=() E2E_GLYPH_WIDTH=() E2E_GLYPH_HEIGHT=()
    [ -d "$dir" ] || return 0
    while read -r name w h; do
        [[ "$name" =~ ^([0-9]+)\.bmp$ ]] || continue
        local code=$((10#${BASH_REMATCH[1]}))
        E2E_GLYPH_FILE[$code]="$dir/$name"
        E2E_GLYPH_WIDTH[$code]="$w"
        E2E_GLYPH_HEIGHT[$code]="$h"
    done < <(cd "$dir" && identify -format '%f %w %h\n' -- *.bmp)
}

# e2e_text_ops X Y TEXT: appends to E2E_OPS the glyph blits of TEXT with its first glyph's top left at
# (X, Y), black transparent; a space advances 12 and is never drawn, a byte without a glyph takes no
# room. Sets E2E_TEXT_END and E2E_TEXT_HEIGHT.
e2e_text_ops() {
    local y="$2" text="$3" i code LC_ALL=C
    E2E_TEXT_END="$1"
    E2E_TEXT_HEIGHT=0
    for ((i = 0; i < ${#text}; i++)); do
        printf -v code '%d' "'${text:i:1}"
        if [ "$code" -eq 32 ]; then
            E2E_TEXT_END=$((E2E_TEXT_END + 12))
            continue
        fi
        [ "$code" -ge 0 ] && [ "$code" -lt 128 ] && [ -n "${E2E_GLYPH_FILE[$code]:-}" ] || continue
        E2E_OPS+=("(" "${E2E_GLYPH_FILE[$code]}" -transparent black ")"
            -geometry "$(printf '%+d%+d' "$E2E_TEXT_END" "$y")" -composite)
        E2E_TEXT_END=$((E2E_TEXT_END + E2E_GLYPH_WIDTH[$code]))
        [ "${E2E_GLYPH_HEIGHT[$code]}" -gt "$E2E_TEXT_HEIGHT" ] && E2E_TEXT_HEIGHT="${E2E_GLYPH_HEIGHT[$code]}"
    done
    return 0
}

# e2e_text_width TEXT: how far TEXT moves the pen.
e2e_text_width() {
    local saved=("${E2E_OPS[@]}")
    e2e_text_ops 0 0 "$1"
    E2E_OPS=("${saved[@]}")
    echo "$E2E_TEXT_END"
}

# e2e_picture OUT WIDTH HEIGHT ITEM...: the picture the game should show, drawn in the order given over
# the background. Items: "fill X Y W H R,G,B", "image FILE X Y" (opaque), "text X Y TEXT".
e2e_picture() {
    local out="$1" width="$2" height="$3" item kind rest x y w h colour file
    shift 3
    E2E_OPS=()
    for item in "$@"; do
        kind="${item%% *}"
        rest="${item#* }"
        case "$kind" in
        fill)
            read -r x y w h colour <<<"$rest"
            [ "$w" -gt 0 ] && [ "$h" -gt 0 ] &&
                E2E_OPS+=(-fill "rgb($colour)" -draw "rectangle $x,$y $((x + w - 1)),$((y + h - 1))")
            ;;
        image)
            read -r file x y <<<"$rest"
            E2E_OPS+=("(" "$file" ")" -geometry "$(printf '%+d%+d' "$x" "$y")" -composite)
            ;;
        text)
            x="${rest%% *}"
            rest="${rest#* }"
            y="${rest%% *}"
            e2e_text_ops "$x" "$y" "${rest#* }"
            ;;
        *)
            e2e_log "unknown picture item: $item"
            return 1
            ;;
        esac
    done
    convert -size "${width}x${height}" "xc:rgb($E2E_BG)" -colorspace sRGB +antialias -stroke none \
        "${E2E_OPS[@]}" -alpha off "PNG24:$out"
}

# e2e_differ SHOT WANT [X Y W H]: prints how many pixels of the two pictures differ, in the rectangle
# (clipped to the pictures) or everywhere.
e2e_differ() {
    local crop=()
    if [ $# -ge 6 ]; then
        local x="$3" y="$4" w="$5" h="$6"
        [ "$x" -lt 0 ] && w=$((w + x)) && x=0
        [ "$y" -lt 0 ] && h=$((h + y)) && y=0
        crop=(-crop "${w}x${h}+${x}+${y}" +repage)
    fi
    convert "$1" "${crop[@]}" "(" "$2" "${crop[@]}" ")" -alpha off -metric AE -compare \
        -format '%[distortion]\n' info: 2>&1
}

# e2e_expect_same DESCRIPTION SHOT WANT [X Y W H]: a failed check unless the screenshot equals the
# expected picture in the rectangle (or everywhere); a failure lists the first differing pixels and
# keeps both pictures in the scratch area (which E2E_KEEP=1 keeps after the run).
e2e_expect_same() {
    local what="$1" n
    shift
    n="$(e2e_differ "$@")"
    if [ "$n" = "0" ]; then
        e2e_log "ok: $what"
        return 0
    fi
    e2e_fail "$what: $n pixels differ"
    local kept="$E2E_SCRATCH/failed-$E2E_FAILURES"
    cp "$1" "$kept-shot.png" && cp "$2" "$kept-want.png"
    paste -d ' ' <(convert "$1" -depth 8 txt:- | awk 'NR > 1 {print $1, $3}') \
        <(convert "$2" -depth 8 txt:- | awk 'NR > 1 {print $3}') |
        awk -v x0="${3:-0}" -v y0="${4:-0}" -v w="${5:-100000}" -v h="${6:-100000}" '
            { split($1, p, /[,:]/) }
            p[1] >= x0 && p[1] < x0 + w && p[2] >= y0 && p[2] < y0 + h && $2 != $3 {
                print "  at " p[1] "," p[2] ": shot " $2 ", expected " $3; if (++n == 8) exit }' >&2
    e2e_log "  pictures: $kept-shot.png, $kept-want.png"
    return 1
}

# e2e_glyphs_over SHOT OUT X Y TEXT: OUT is SHOT with TEXT's glyphs drawn over it once more, which
# changes no pixel when every glyph pixel is already there; what shows through the glyphs' black is
# taken from SHOT.
e2e_glyphs_over() {
    E2E_OPS=()
    e2e_text_ops "$3" "$4" "$5"
    convert "$1" -colorspace sRGB "${E2E_OPS[@]}" -alpha off "PNG24:$2"
}

# e2e_read_number SHOT X Y: the decimal number drawn with the font at (X, Y) over the background, read
# glyph by glyph against the font's digits; prints nothing when no digit is there.
e2e_read_number() {
    local shot="$1" x="$2" y="$3" d files=() digits=""
    for d in 0 1 2 3 4 5 6 7 8 9; do
        [ -n "${E2E_GLYPH_FILE[$((48 + d))]:-}" ] || continue
        files+=("${E2E_GLYPH_FILE[$((48 + d))]}")
        digits+="$d"
    done
    { convert "${files[@]}" -alpha off -depth 8 txt:-
      convert "$shot" -crop "120x${E2E_GLYPH_HEIGHT[48]:-18}+$x+$y" +repage -alpha off -depth 8 txt:-; } |
        awk -v digits="$digits" -v bg="$(printf '#%02X%02X%02X' ${E2E_BG//,/ })" '
        /^#/ { split($0, f, /[:, ]+/); n++; W[n] = f[5]; H[n] = f[6]; next }
        { split($1, p, /[,:]/); match($0, /#[0-9A-Fa-f]+/)
          P[n, p[1], p[2]] = toupper(substr($0, RSTART, 7)) }
        END {
            pen = 0; out = ""
            for (;;) {
                found = 0
                for (g = 1; g < n && !found; g++) {
                    ok = 1
                    for (yy = 0; yy < H[g] && ok; yy++)
                        for (xx = 0; xx < W[g] && ok; xx++) {
                            want = P[g, xx, yy]; if (want == "#000000") want = bg
                            if (P[n, pen + xx, yy] != want) ok = 0
                        }
                    if (ok) found = g
                }
                if (!found) break
                out = out substr(digits, found, 1); pen += W[found]
            }
            print out }'
}

# --- The screens of the game as the scripts see them ------------------------------------------------

# e2e_expect_title SHOT LEVEL: the title screen exactly: the picture at (30, 60), the prompt at (40, 360)
# and "LEVEL : LEVEL" at (40, 384), over the background, which fills any wider window too.
e2e_expect_title() {
    local shot="$1" level="$2" want="$E2E_SCRATCH/title-want.png" pw ph size prompt="PUSH 'Z' or Joystick'1'"
    size="$(identify -format '%w %h' "$shot")"
    read -r pw ph < <(identify -format '%w %h\n' "$E2E_RESOURCE/image/zorvane.bmp")
    e2e_picture "$want" ${size% *} ${size#* } "image $E2E_RESOURCE/image/zorvane.bmp 30 60" \
        "text 40 360 $prompt" "text 40 384 LEVEL : $level"
    e2e_expect_same "title picture opaque at (30, 60)" "$shot" "$want" 29 59 $((pw + 2)) $((ph + 2))
    E2E_OPS=()
    e2e_text_ops 40 360 "$prompt"
    e2e_expect_same "prompt at (40, 360)" "$shot" "$want" 38 358 $((E2E_TEXT_END - 36)) $((E2E_TEXT_HEIGHT + 4))
    e2e_text_ops 40 384 "LEVEL : $level"
    e2e_expect_same "LEVEL : $level at (40, 384)" "$shot" "$want" 38 382 $((E2E_TEXT_END - 36)) $((E2E_TEXT_HEIGHT + 4))
    e2e_expect_same "the whole title screen at level $level" "$shot" "$want"
}

# e2e_read_title_level SHOT: the level that the title shows.
e2e_read_title_level() {
    e2e_read_number "$1" $((40 + $(e2e_text_width "LEVEL : "))) 384
}

# e2e_expect_fresh_game SHOT [LEVEL]: a game seen before its first wave leaves the boss: boss, bar,
# ship, pods, charge bar and HUD exact, and nothing else on the field. TIME is read from the shot;
# the charge, 120 at the start and one more every frame of play, gives the bar's width from it.
e2e_expect_fresh_game() {
    local shot="$1" level="${2:-0}" want="$E2E_SCRATCH/game-want.png" t bar colour pods
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
        pods=("fill 156 380 8 8 255,255,0" "fill 156 380 8 8 255,255,0")
    else
        pods=("fill 151 344 8 8 255,255,0" "fill 161 344 8 8 255,255,0")
    fi
    e2e_picture "$want" 320 480 "fill 152 376 16 16 64,64,255" "${pods[@]}" \
        "fill 10 450 $bar 5 $colour" "fill 120 30 80 80 0,255,0" "fill 10 10 300 10 0,255,128" \
        "text 10 20 SCORE : 0" "text 10 50 TIME  : $t" "text 10 456 RATIO : x0 + 0" \
        "text 200 456 MAX : x0" "text 0 0 LEVEL $level"
    e2e_expect_same "boss: green 80 x 80 centred on (160, 70)" "$shot" "$want" 119 29 82 82
    e2e_expect_same "hit-point bar: full, (0, 255, 128), 300 x 10 at (10, 10)" "$shot" "$want" 9 9 302 12
    e2e_expect_same "ship: blue 16 x 16 centred on (160, 384)" "$shot" "$want" 151 375 18 18
    e2e_expect_same "pods: yellow 8 x 8 at (155, 348) and (165, 348)" "$shot" "$want" 150 343 20 10
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
