# e2e helpers: set-up and clean-up, the scratch area, deadlines, and an X server of the script's own.
# shellcheck shell=bash

E2E_SCRATCH="" # everything the script creates lives below here
E2E_XVFB_PID=""

# e2e_now_ms: the wall clock in milliseconds, without starting a process.
e2e_now_ms() { echo $((10#${EPOCHREALTIME/[.,]/} / 1000)); }

# e2e_poll SECONDS COMMAND...: runs COMMAND until it succeeds or SECONDS of wall time have passed
# (status 1): a busy machine gets the same time, not fewer looks.
e2e_poll() {
    local end=$(($(e2e_now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(e2e_now_ms)" -lt "$end" ] || return 1
        sleep 0.02
    done
}

# e2e_setup BIN RESOURCE_DIR [SIM]: checks the tools, makes the scratch area and installs the
# clean-up; SIM, the simulator, draws the pictures the game's screenshots are held against.
e2e_setup() {
    E2E_BIN="$(readlink -f "$1")"
    E2E_RESOURCE="$(readlink -f "$2")"
    E2E_SIM="${3:+$(readlink -f "$3")}"
    local tool
    for tool in Xvfb xdotool xwininfo od cmp cc; do
        command -v "$tool" >/dev/null || { e2e_log "missing tool: $tool"; exit 1; }
    done
    command -v magick >/dev/null || command -v convert >/dev/null ||
        { e2e_log "missing tool: ImageMagick (magick or convert)"; exit 1; }
    [ -x "$E2E_BIN" ] || { e2e_log "no game binary at $1"; exit 1; }
    [ -d "$E2E_RESOURCE" ] || { e2e_log "no resource directory at $2"; exit 1; }
    [ -z "${3:-}" ] || [ -x "$E2E_SIM" ] || { e2e_log "no simulator at $3"; exit 1; }
    E2E_SCRATCH="$(mktemp -d /tmp/zorvane-e2e-XXXXXX)"
    # One thread per ImageMagick run: its worker threads only wait for each other on a busy machine.
    export MAGICK_THREAD_LIMIT=1
    # A sanitizer build's leak check would count libX11's own small leak against the game.
    if [ -z "${LSAN_OPTIONS:-}" ]; then
        echo "leak:libX11" >"$E2E_SCRATCH/lsan.supp"
        export LSAN_OPTIONS="suppressions=$E2E_SCRATCH/lsan.supp"
    fi
    trap e2e_cleanup EXIT
    # A reader of the log that goes away (a pager quit early) ends the script too, cleanly.
    trap 'exit 1' INT TERM PIPE
}

# e2e_cleanup: the game and the X server first, so that nothing outlives a script whose log can no
# longer be written; then the output of failed runs, and the scratch area.
e2e_cleanup() {
    trap '' PIPE
    e2e_kill_game
    [ -z "$E2E_XVFB_PID" ] || { kill "$E2E_XVFB_PID" && wait "$E2E_XVFB_PID"; } 2>/dev/null
    e2e_show_failed_output
    if [ -n "$E2E_SCRATCH" ] && [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_SCRATCH"; fi
}

# e2e_xvfb_named FILE: the server has written its display number to FILE, or has ended.
e2e_xvfb_named() { grep -qxE '[0-9]+' "$1" 2>/dev/null || ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; }

# e2e_start_xvfb: a 24-bit 1024x768 X server of this script's own; sets DISPLAY.
# -displayfd: the server takes the first free display under its lock and names it only then, so two
# scripts starting at once never share a server whose owner's clean-up would kill it under the other.
# -noreset: by default the server resets when its last client leaves; SDL closes the connection it
# probes the driver with before it opens its real one, which then finds the server resetting.
# -r: no auto-repeat, so a key held until the game has seen it stays one press however long it takes.
e2e_start_xvfb() {
    local numbers="$E2E_SCRATCH/xvfb-display" n
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r \
        3>"$numbers" >"$E2E_SCRATCH/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_poll 30 e2e_xvfb_named "$numbers"
    n="$(grep -xE '[0-9]+' "$numbers" 2>/dev/null)" ||
        { e2e_log "Xvfb named no display within 30 s:"; cat "$E2E_SCRATCH/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$n"
    xwininfo -root >/dev/null || { e2e_log "Xvfb on $DISPLAY does not answer"; exit 1; }
}
