# Shared helpers of the end-to-end scripts: Xvfb, the game in a scratch directory, keys, screenshots, checks.
# Source it, then call e2e_setup BIN RESOURCE_DIR; everything started is cleaned up on exit.
# shellcheck shell=bash

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
E2E_BIN=""
E2E_RESOURCE=""
E2E_DISPLAY=""
E2E_XVFB_PID=""
E2E_GAME_PID=""
E2E_GAME_ARGS=()
E2E_WORK=""          # the game's working directory: resource link, run.log, screenshot.bmp, stdout.txt
E2E_SCRATCH=""       # everything this script creates lives below here
E2E_WID=""
E2E_STATUS=""
E2E_FAILURES=0
E2E_CAPTION="/+++ ZORVANE +++/"

e2e_log() { echo "[e2e] $*" >&2; }

# e2e_setup BIN RESOURCE_DIR: checks the tools, makes the scratch area and installs the clean-up trap.
e2e_setup() {
    E2E_BIN="$(readlink -f "$1")"
    E2E_RESOURCE="$(readlink -f "$2")"
    local tool
    for tool in Xvfb xdotool xwininfo convert cc; do
        command -v "$tool" >/dev/null || { e2e_log "missing tool: $tool"; exit 1; }
    done
    [ -x "$E2E_BIN" ] || { e2e_log "no game binary at $1"; exit 1; }
    [ -d "$E2E_RESOURCE" ] || { e2e_log "no resource directory at $2"; exit 1; }
    E2E_SCRATCH="$(mktemp -d /tmp/zorvane-e2e-XXXXXX)"
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
    if [ -n "$E2E_XVFB_PID" ] && kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    E2E_XVFB_PID=""
    if [ -n "$E2E_SCRATCH" ] && [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_SCRATCH"; fi
}

# e2e_start_xvfb: a 24-bit 1024x768 X server on the first free display from :90 on; sets DISPLAY.
# -noreset: by default the server resets when its last client leaves, and a game started during
# that reset cannot open the display.
e2e_start_xvfb() {
    local n tries
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$E2E_SCRATCH/xvfb-$n.log" 2>&1 &
        E2E_XVFB_PID=$!
        for tries in $(seq 1 100); do
            if ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; then break; fi # lost a race for the display
            if DISPLAY=":$n" xwininfo -root >/dev/null 2>&1; then
                E2E_DISPLAY=":$n"
                export DISPLAY="$E2E_DISPLAY"
                return 0
            fi
            sleep 0.05
        done
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
        E2E_XVFB_PID=""
    done
    e2e_log "could not start Xvfb"
    exit 1
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
    E2E_GAME_ARGS=("$@")
    (cd "$E2E_WORK" && exec env SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" "$E2E_BIN" "$@" \
        >"$E2E_WORK/stdout.txt" 2>"$E2E_WORK/stderr.txt") &
    E2E_GAME_PID=$!
}

# e2e_wait_window [SECONDS]: waits for the game's window and sets E2E_WID; fails when it never comes.
# Xvfb now and then refuses a client's connection under load; the game then stops at once with
# SDL's start-up failure, and it is started again (twice at most) rather than failing the test.
e2e_wait_window() {
    local limit=$(( ${1:-10} * 20 )) i line restarts=0
    for i in $(seq 1 "$limit"); do
        line="$(xwininfo -root -tree 2>/dev/null | grep -F "\"$E2E_CAPTION\"" | head -n1)"
        if [ -n "$line" ]; then
            E2E_WID="$(echo "$line" | awk '{print $1}')"
            return 0
        fi
        if [ -n "$E2E_GAME_PID" ] && ! kill -0 "$E2E_GAME_PID" 2>/dev/null; then
            if [ "$restarts" -lt 2 ] && grep -qx "Plix_init: Couldn't initialize SDL" "$E2E_WORK/stdout.txt" 2>/dev/null; then
                restarts=$((restarts + 1))
                e2e_log "the X server refused the game; starting it again"
                wait "$E2E_GAME_PID" 2>/dev/null
                e2e_start_game "${E2E_GAME_ARGS[@]}"
                continue
            fi
            e2e_log "game ended before its window appeared"
            return 1
        fi
        sleep 0.05
    done
    e2e_log "no window captioned $E2E_CAPTION"
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

# e2e_keydown KEY... / e2e_keyup KEY...: X key names (z, x, Up, Down, Left, Right, Escape, F12).
e2e_keydown() { xdotool keydown "$@"; }
e2e_keyup() { xdotool keyup "$@"; }

# e2e_hold SECONDS KEY...: presses the keys together, holds them, releases them. One xdotool run, so
# the hold is not lengthened by starting a second xdotool process.
e2e_hold() {
    local seconds="$1"
    shift
    xdotool keydown "$@" sleep "$seconds" keyup "$@"
}

# e2e_tap KEY...: a press of about six frames, long enough for the snapshot to see it.
e2e_tap() { e2e_hold 0.1 "$@"; }

# e2e_screenshot OUT.png: F12, waits for a new screenshot.bmp and converts it. Fails when none is written.
e2e_screenshot() {
    local out="$1" i size
    rm -f "$E2E_WORK/screenshot.bmp"
    e2e_tap F12
    for i in $(seq 1 100); do
        if [ -s "$E2E_WORK/screenshot.bmp" ]; then
            size="$(stat -c %s "$E2E_WORK/screenshot.bmp")"
            sleep 0.05
            if [ "$size" = "$(stat -c %s "$E2E_WORK/screenshot.bmp")" ]; then
                convert "$E2E_WORK/screenshot.bmp" "$out" && return 0
            fi
        fi
        sleep 0.05
    done
    e2e_log "no screenshot.bmp written"
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
    local limit=$(( ${1:-10} * 20 )) i
    for i in $(seq 1 "$limit"); do
        if ! kill -0 "$E2E_GAME_PID" 2>/dev/null; then
            wait "$E2E_GAME_PID"
            E2E_STATUS=$?
            E2E_GAME_PID=""
            return 0
        fi
        sleep 0.05
    done
    e2e_log "game still running after ${1:-10} s"
    e2e_kill_game
    E2E_STATUS="timeout"
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
        e2e_log "FAIL: $1: expected [$2], got [$3]"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# e2e_expect_true DESCRIPTION COMMAND...: records a failure when the command fails.
e2e_expect_true() {
    local what="$1"
    shift
    if "$@"; then
        e2e_log "ok: $what"
    else
        e2e_log "FAIL: $what"
        E2E_FAILURES=$((E2E_FAILURES + 1))
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
