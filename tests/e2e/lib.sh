# Shared helpers of the end-to-end scripts: Xvfb, the game in a scratch directory, keys, screenshots, checks.
# Source it, then call e2e_setup BIN RESOURCE_DIR; everything started is cleaned up on exit.
# shellcheck shell=bash

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The exit status of a run that ends on a failure message (a damaged file, no SDL); a quit is always 0.
E2E_FAIL_STATUS=0
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
    local size stated reserved offset
    size="$(stat -c %s "$1" 2>/dev/null)" || return 1
    read -r stated reserved offset < <(od -An -tu4 -j2 -N12 "$1" 2>/dev/null)
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
