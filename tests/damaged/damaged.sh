#!/usr/bin/env bash
# Damaged resources: every resource file truncated, garbage, empty, a directory, a FIFO, unreadable, and
# hostile headers SDL would crash on; the real game and the simulator must both end with the failure
# status and the loader's exact message, or play on.
# Usage: bash damaged.sh ZORVANE RESOURCE_DIR SDL_ERROR_PROBE ZORVANE_SIM HOSTILE
# The probe tells what SDL itself says about each damaged file; the expected line is the game's
# prefix (and suffix) around that text, or around the game's own reason where it refuses the file
# before SDL sees it. A file SDL still accepts must not stop the game at all.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
e2e_setup "$1" "$2"
PROBE="$(readlink -f "$3")"
SIM="$(readlink -f "$4")"
HOSTILE="$(readlink -f "$5")"
for tool in "$PROBE" "$SIM" "$HOSTILE"; do
    [ -x "$tool" ] || { e2e_log "no program at $tool"; exit 1; }
done
e2e_start_xvfb
# The scratch area must be reachable for the unreadable-file runs under another user.
chmod 755 "$E2E_SCRATCH"

# The leak check reads the suppressions only when it finds a leak, and libX11's is found only in a
# window: so the one run that needs them as "nobody" is the music case with the unreadable file. A
# copy in the scratch area is readable by it wherever the source tree lies and whoever may enter it.
install -m 644 "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/lsan.supp" "$E2E_SCRATCH/lsan.supp"
export LSAN_OPTIONS="suppressions=$E2E_SCRATCH/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"

# Running the unreadable-file case as root proves nothing, since root reads any file: run the game
# and the probe as the unprivileged user "nobody" instead. Without a way to do that the case is skipped.
AS_USER=()
if [ "$(id -u)" -eq 0 ]; then
    AS_USER=(SKIP)
    ! command -v setpriv >/dev/null || ! id nobody >/dev/null 2>&1 ||
        AS_USER=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups)
fi

# garbage N: N bytes from a fixed seed, so a failure can be reproduced.
garbage() {
    local i s=""
    RANDOM=7
    for ((i = 0; i < $1; i++)); do printf -v s '%s\\%03o' "$s" $((RANDOM % 256)); done
    printf '%b' "$s"
}

# damage FILE HOW: the damage itself, on the copy in E2E_WORK.
damage() {
    local f="$E2E_WORK/resource/$1" size
    size="$(stat -c %s "$f")"
    case "$2" in
    truncated) head -c $((size / 2 < 1000 ? size / 2 : 1000)) "$f" >"$f.cut" && mv "$f.cut" "$f" ;;
    truncated-late) head -c $((size / 2)) "$f" >"$f.cut" && mv "$f.cut" "$f" ;;
    garbage) garbage $((size < 2000 ? size : 2000)) >"$f" ;;
    empty) : >"$f" ;;
    directory) rm -f "$f" && mkdir "$f" && touch "$f/inside" ;;
    unreadable) chmod 000 "$f" ;;
    fifo) rm -f "$f" && mkfifo "$f" ;;
    *) "$HOSTILE" make "$2" "$f" "$f.bent" && mv "$f.bent" "$f" ;; # see hostile.cpp
    esac
}

start_game() { # [VIDEO_DRIVER]: the game in E2E_WORK, as "nobody" for the unreadable case
    (cd "$E2E_WORK" && exec env SDL_AUDIODRIVER=dummy ${1:+SDL_VIDEODRIVER=$1} "${CASE_USER[@]}" "$E2E_BIN" \
        >"$E2E_WORK/stdout.txt" 2>"$E2E_WORK/stderr.txt") &
    E2E_GAME_PID=$!
}

# start_in_window NAME EXPECTED: a music case, which needs a push of z on the title, so a real window.
# z stays down until the game has ended, when it refuses the music; else the look after the push
# must show the game begun, which is then quit.
start_in_window() {
    start_game
    e2e_wait_window || return
    e2e_focus
    if [ "$2" != "$E2E_QUIT" ]; then
        e2e_xkeys z >/dev/null || e2e_fail "$1: z held: $(e2e_xkeys_said)"
        return
    fi
    local shot="$E2E_SCRATCH/$1.bmp"
    e2e_press_and_look "$shot" z &&
        e2e_expect "$1: the game has begun (the boss)" "0,255,0" "$(e2e_pixel "$shot" 160 70)"
    e2e_quit_with Escape
}

# no_sanitizer_report NAME: the game's stderr holds no word from AddressSanitizer, LeakSanitizer or
# UBSan: neither a report nor one of their own failures ("LeakSanitizer has encountered a fatal error").
no_sanitizer_report() {
    ! grep -Eq 'Sanitizer|runtime error:' "$E2E_WORK/stderr.txt" ||
        e2e_fail "$1: the sanitizers spoke (the game's stderr follows at the end)"
}

# the_simulator_agrees NAME EXPECTED STATUS: the simulator, on the same damaged tree, stops with the same
# message (after its own "zorvane-sim: ") and status, or plays a short game when the game plays on.
the_simulator_agrees() {
    local name="$1" expected="$2" status="$3" got
    (cd "$E2E_WORK" && exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "${CASE_USER[@]}" \
        "$SIM" --level 0 --max-frames 2 >"$E2E_WORK/sim-stdout.txt" 2>"$E2E_WORK/stderr.txt")
    got=$?
    e2e_expect "$name: the simulator's status" "$status" "$got"
    [ "$expected" = "$E2E_QUIT" ] ||
        e2e_expect "$name: the simulator's message" "zorvane-sim: $expected" \
            "$(grep -v Sanitizer "$E2E_WORK/stderr.txt" | tail -n 1)"
    no_sanitizer_report "$name (simulator)"
}

# reason HOW KIND: what the game says itself, before SDL sees a file: a resource must be a regular file,
# a WAV's header must describe PCM the mixer can play, and a picture or music must be one SDL can read
# safely; SDL crashes on some it would not refuse. Nothing for a file left to SDL.
reason() {
    local rate="${1##*-rate-}"
    rate="a rate of ${rate/M/000000} Hz, not 4000 to 192000"
    case "$2:$1" in
    *:directory | *:fifo) echo "not a regular file" ;;
    wav:truncated | wav:wav-length) echo "the data chunk runs past the end of the file" ;;
    wav:garbage | wav:empty) echo "not a RIFF WAVE file" ;;
    wav:wav-format) echo "32767 bits a sample, not 8 or 16" ;;
    wav:wav-adpcm) echo "format 2, not PCM" ;;
    wav:wav-channels) echo "3 channels, not 1 or 2" ;;
    wav:wav-rate-*) echo "$rate" ;;
    wav:wav-hidden-*) echo "a chunk of odd length (3 bytes) before the data" ;;
    wav:wav-fmt-2-bytes) echo "the fmt chunk is cut short" ;;
    bmp:truncated | bmp:bmp-offset) echo "the pixels run past the end of the file" ;;
    bmp:garbage | bmp:empty) echo "not a BMP file" ;;
    bmp:bmp-palette) echo "2147483647 colours, more than 8 bits can tell apart" ;;
    bmp:bmp-dimensions) echo "a width of 30000, not 1 to 2560" ;;
    bmp:bmp-bits-*) echo "${1#bmp-bits-} bits a pixel, not 1, 4, 8, 16, 24 or 32" ;;
    bmp:bmp-height-min) echo "a height of -2147483648, not 1 to 1920 (or -1 to -1920 from the top down)" ;;
    bmp:bmp-palette-v4) echo "a palette after a header of 108 bytes" ;;
    music:ogg-rate-*) echo "stream 1 of 1 has $rate" ;;
    music:ogg-chained) echo "stream 2 of 2 has a rate of 20 Hz, not 4000 to 192000" ;;
    music:ogg-setup-residue) echo "stream 1 of 1 has a setup header the decoder cannot use:" \
        "residue 0 has partitions of 3, not whole vectors of codebook 1" ;;
    esac
}

# check CASE FILE HOW: one damaged copy, one run of the game and one of the simulator. The file's
# place tells its loader and the words around its failure; the icon is optional, so that any damage
# to it leaves a window without an icon and a game that runs.
check() {
    local name="$1" file="$2" how="$3" kind prefix suffix="" said expected status
    case "$file" in
    image/*) kind=bmp prefix="Plix_loadBMP: " ;;
    font/*) kind=bmp prefix="loadFont: " ;;
    sound/*.wav) kind=wav prefix="Plix_loadWAV: " suffix=" (resource/$file)" ;;
    sound/*.ogg) kind=music prefix="Plix_playBgm: " ;;
    *) kind=icon ;;
    esac
    CASE_USER=()
    if [ "$how" = unreadable ]; then
        CASE_USER=("${AS_USER[@]}")
        [ "${AS_USER[*]}" != SKIP ] ||
            { e2e_log "SKIP: $name: running as root without setpriv, no file is unreadable"; return; }
    fi
    e2e_make_workdir "$name"
    e2e_copy_resources
    damage "$file" "$how"
    chmod a+rwx "$E2E_WORK"
    said="$(reason "$how" "$kind")"
    # The game's own reasons name the file after them, but for a sound, whose suffix names it.
    [ -z "$said" ] || [ "$kind" = wav ] || said+=": resource/$file"
    [ "$kind" != icon ] || said=LOADED
    [ -n "$said" ] || said="$(cd "$E2E_WORK" && "${CASE_USER[@]}" "$PROBE" "$kind" "resource/$file")"
    if [ "$said" = LOADED ]; then
        expected="$E2E_QUIT" status=0
    else
        expected="$prefix$said$suffix" status="$E2E_FAIL_STATUS"
    fi
    e2e_log "case $name: expecting [$expected]"

    if [ "$kind" = music ]; then
        start_in_window "$name" "$expected"
    elif [ "$expected" = "$E2E_QUIT" ]; then
        # The icon cases need no key: SIGTERM is the same quit event to SDL as the close button.
        start_game dummy && e2e_stop_with TERM
    else
        start_game dummy # the failure comes before any window matters
    fi
    [ -z "$E2E_GAME_PID" ] || e2e_wait_exit 30
    e2e_expect "$name: exit status" "$status" "$E2E_STATUS"
    e2e_expect "$name: last line on stdout" "$expected" "$(e2e_last_line "$E2E_WORK/stdout.txt")"
    e2e_expect "$name: last line of run.log" "$expected" "$(e2e_last_line "$E2E_WORK/run.log")"
    no_sanitizer_report "$name"
    [ "$kind" = icon ] || the_simulator_agrees "$name" "$expected" "$status"
}

HOWS="truncated garbage empty directory fifo unreadable"
for how in $HOWS bmp-palette bmp-dimensions bmp-offset; do
    check "title-$how" image/zorvane.bmp "$how"
    check "glyph-$how" font/65.bmp "$how"
done
for key in kreel damage destroy1 kin; do
    for how in $HOWS; do check "$key-$how" "sound/$key.wav" "$how"; done
done
for how in wav-length wav-format wav-adpcm wav-channels wav-rate-0 wav-rate-45 wav-rate-100M; do
    check "kin-$how" sound/kin.wav "$how"
done
for how in $HOWS truncated-late ogg-rate-20 ogg-rate-50M ogg-chained ogg-setup-residue; do
    check "bgm-$how" sound/bgm.ogg "$how"
done
for how in $HOWS bmp-bits-4097; do check "icon-$how" plix.bmp "$how"; done
# More hostile headers, each breaking one property; the issue's crashes among them.
check title-bits-4097 image/zorvane.bmp bmp-bits-4097
check title-height-min image/zorvane.bmp bmp-height-min
check glyph-bits-12 font/65.bmp bmp-bits-12
check glyph-palette-v4 font/66.bmp bmp-palette-v4
check kreel-hidden-rate-0 sound/kreel.wav wav-hidden-rate-0
check damage-hidden-adpcm sound/damage.wav wav-hidden-adpcm
check destroy1-hidden-channels-0 sound/destroy1.wav wav-hidden-channels-0
check kin-fmt-2-bytes sound/kin.wav wav-fmt-2-bytes
e2e_finish
