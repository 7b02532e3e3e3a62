#!/usr/bin/env bash
# Damaged resources: every resource file truncated, garbage, empty, a directory, unreadable, and a few
# hostile headers; the real game must end with the failure status and the loader's exact message, or
# play on.
# Usage: bash damaged.sh ZORVANE RESOURCE_DIR SDL_ERROR_PROBE
# The probe tells what SDL itself says about each damaged file; the expected line is the game's
# prefix (and suffix) around that text. A file SDL still accepts must not stop the game at all.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
e2e_setup "$1" "$2"
PROBE="$(readlink -f "$3")"
[ -x "$PROBE" ] || { e2e_log "no probe at $3"; exit 1; }
e2e_start_xvfb
# The scratch area must be reachable for the unreadable-file runs under another user.
chmod 755 "$E2E_SCRATCH"

QUIT="dPlix system quit."
# The leak check reads the suppressions only when it finds a leak, and libX11's is found only in a
# window: so the one run that needs them as "nobody" is the music case with the unreadable file. A
# copy in the scratch area is readable by it wherever the source tree lies and whoever may enter it.
install -m 644 "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/lsan.supp" "$E2E_SCRATCH/lsan.supp"
export LSAN_OPTIONS="suppressions=$E2E_SCRATCH/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"

# Running the unreadable-file case as root proves nothing, since root reads any file: run the game
# and the probe as the unprivileged user "nobody" instead. Without a way to do that the case is skipped.
AS_USER=()
UNREADABLE_OK=1
if [ "$(id -u)" -eq 0 ]; then
    if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
        AS_USER=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups)
    else
        UNREADABLE_OK=0
    fi
fi

# garbage N: N bytes from a fixed seed, so a failure can be reproduced.
garbage() {
    local n="$1" i s="" byte
    RANDOM=7
    for ((i = 0; i < n; i++)); do
        printf -v byte '\\%03o' $((RANDOM % 256))
        s+="$byte"
    done
    printf '%b' "$s"
}

# patch FILE OFFSET HEXBYTES: overwrites bytes in place (little-endian fields are given byte by byte).
patch() { printf '%b' "$(echo "$3" | sed 's/\(..\)/\\x\1/g')" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

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
    bmp-palette) patch "$f" 28 "0800" && patch "$f" 46 "ffffff7f" ;;    # 8 bits, 2^31 colours
    bmp-dimensions) patch "$f" 18 "3075000030750000" ;;                    # 30000 x 30000
    bmp-offset) patch "$f" 10 "f0ffffff" ;;                                # pixels 4 GB into the file
    wav-length) patch "$f" 40 "f0ffffff" ;;                                # data chunk of 4 GB
    wav-format) patch "$f" 34 "ff7f" ;;                                    # 32767-bit samples
    *) e2e_log "unknown damage $2"; exit 1 ;;
    esac
}

# as_case_user CMD...: runs CMD in E2E_WORK, as "nobody" for the unreadable case.
as_case_user() { (cd "$E2E_WORK" && exec "${CASE_USER[@]}" "$@"); }

start_game() { # [dummy]
    local video="${SDL_VIDEODRIVER:-}"
    [ "${1:-}" = dummy ] && video=dummy
    rm -f "$E2E_WORK/run.log"
    (cd "$E2E_WORK" && exec env SDL_AUDIODRIVER=dummy ${video:+SDL_VIDEODRIVER=$video} \
        "${CASE_USER[@]}" "$E2E_BIN" >"$E2E_WORK/stdout.txt" 2>"$E2E_WORK/stderr.txt") &
    E2E_GAME_PID=$!
}

# start_in_window NAME EXPECTED: a music case, which needs a push of z on the title, so a real window.
# z stays down until the game has answered, so that no pause of a busy machine can swallow the push; it
# is let go after the game has ended. When SDL takes the music the game is seen playing, then quit.
start_in_window() {
    start_game
    e2e_wait_window || return
    e2e_focus
    xdotool keydown z
    [ "$2" = "$QUIT" ] || return
    local shot="$E2E_SCRATCH/$1.png"
    e2e_screenshot "$shot" && e2e_expect "$1: the game has begun (the boss)" "0,255,0" "$(e2e_pixel "$shot" 160 70)"
    xdotool keyup z
    e2e_tap Escape
}

# The icon cases need no key: a game on the dummy driver is stopped with SIGTERM, which SDL turns into
# the same quit event as the window's close button. The signal goes once run.log has been emptied, when
# SDL's handler is in place; the quit is then seen in the first frame.
start_and_terminate() {
    start_game dummy
    e2e_wait_file "$E2E_WORK/run.log" && kill -TERM "$E2E_GAME_PID" 2>/dev/null
}

# no_sanitizer_report NAME: the game's stderr holds no word from AddressSanitizer, LeakSanitizer or
# UBSan: neither a report nor one of their own failures ("LeakSanitizer has encountered a fatal error").
no_sanitizer_report() {
    if grep -Eq 'Sanitizer|runtime error:' "$E2E_WORK/stderr.txt"; then
        e2e_fail "$1: the sanitizers spoke (the game's stderr follows at the end)"
    fi
}

# check CASE FILE HOW KIND PREFIX SUFFIX: one damaged copy, one run of the game.
# KIND is the probe's loader (bmp, wav, music) or "icon" for the file whose loss is not an error.
check() {
    local name="$1" file="$2" how="$3" kind="$4" prefix="$5" suffix="$6" said expected status
    CASE_USER=()
    if [ "$how" = unreadable ]; then
        if [ "$UNREADABLE_OK" -eq 0 ]; then
            e2e_log "SKIP: $name: running as root without setpriv, so an unreadable file cannot be made"
            return
        fi
        CASE_USER=("${AS_USER[@]}")
    fi
    e2e_make_workdir "$name"
    e2e_copy_resources
    damage "$file" "$how"
    chmod a+rwx "$E2E_WORK"
    if [ "$kind" = icon ]; then said=LOADED; else said="$(as_case_user "$PROBE" "$kind" "resource/$file")"; fi
    if [ "$said" = LOADED ]; then
        expected="$QUIT"
        status=0
    else
        expected="$prefix$said$suffix"
        status="$E2E_FAIL_STATUS"
    fi
    e2e_log "case $name: expecting [$expected]"

    if [ "$kind" = music ]; then
        start_in_window "$name" "$expected"
    elif [ "$expected" = "$QUIT" ]; then
        start_and_terminate
    else
        start_game dummy # the failure comes before any window matters
    fi
    e2e_wait_exit 30
    [ "$kind" = music ] && xdotool keyup z
    e2e_expect "$name: exit status" "$status" "$E2E_STATUS"
    e2e_expect "$name: last line on stdout" "$expected" "$(e2e_last_line "$E2E_WORK/stdout.txt")"
    e2e_expect "$name: last line of run.log" "$expected" "$(e2e_last_line "$E2E_WORK/run.log")"
    no_sanitizer_report "$name"
}

HOWS="truncated garbage empty directory unreadable"
for how in $HOWS bmp-palette bmp-dimensions bmp-offset; do
    check "title-$how" image/zorvane.bmp "$how" bmp "Plix_loadBMP: " ""
    check "glyph-$how" font/65.bmp "$how" bmp "loadFont: " ""
done
for key in kreel damage destroy1 kin; do
    for how in $HOWS; do
        check "$key-$how" "sound/$key.wav" "$how" wav "Plix_loadWAV: " " (resource/sound/$key.wav)"
    done
done
for how in wav-length wav-format; do
    check "kin-$how" sound/kin.wav "$how" wav "Plix_loadWAV: " " (resource/sound/kin.wav)"
done
for how in $HOWS truncated-late; do
    check "bgm-$how" sound/bgm.ogg "$how" music "Plix_playBgm: " ""
done
# The icon is optional: any damage to it leaves a window without an icon and a game that runs.
for how in $HOWS; do
    check "icon-$how" plix.bmp "$how" icon "" ""
done
e2e_finish
