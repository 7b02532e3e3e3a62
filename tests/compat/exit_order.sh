#!/usr/bin/env bash
# Every way out of the game closes the mixer's audio device before SDL, and both before the process
# starts to exit: a quit, a closed terminal, Ctrl-C, failures before and after the device opened.
# Audio left open at exit crashes SDL2's audio thread under sdl12-compat, now and then.
# usage: exit_order.sh GAME RESOURCE_DIR ORDER_SPY_LIBRARY
set -uo pipefail
game="$(readlink -f "$1")"
resource="$(readlink -f "$2")"
spy="$(readlink -f "$3")"
scratch="$(mktemp -d /tmp/zorvane-exit-order-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
failures=0
checks=0

fail() {
    echo "[exit-order] FAIL: $*" >&2
    failures=$((failures + 1))
}

# waitFor SECONDS COMMAND...: true as soon as the command is, false when the deadline passes first.
waitFor() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}

# Case: name, how the run is made to end, the exit status, what run.log ends with (a prefix), and
# what SDL and the mixer saw, in order.
opened="SDL_Init Mix_OpenAudio Mix_CloseAudio SDL_Quit exit"
cases=(
    "quit|TERM|0|dPlix system quit.|$opened"
    "closed terminal|HUP|0|dPlix system quit.|$opened"
    "interrupt (Ctrl-C)|INT|0|dPlix system quit.|$opened"
    "missing sound|rm sound/kin.wav|1|Plix_loadWAV: |$opened"
    "damaged glyph|break font/65.bmp|1|loadFont: |$opened"
    "no display|no display|1|Plix_init: Couldn't |SDL_Init Mix_CloseAudio SDL_Quit exit"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r name how status logged order <<<"$entry"
    before=$failures
    work="$scratch/${name// /-}"
    mkdir -p "$work"
    cp -r "$resource" "$work/resource"
    case "$how" in
    rm\ *) rm "$work/resource/${how#rm }" ;;
    break\ *) echo "BM broken" >"$work/resource/${how#break }" ;;
    esac
    environment=(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy)
    [ "$how" = "no display" ] && environment=(-u SDL_VIDEODRIVER -u DISPLAY -u WAYLAND_DISPLAY
        SDL_AUDIODRIVER=dummy TERM=xterm)
    (cd "$work" && exec env "${environment[@]}" ZORVANE_ORDER_LOG="$work/order.log" \
        LD_PRELOAD="$spy${LD_PRELOAD:+:$LD_PRELOAD}" "$game" </dev/null >stdout.txt 2>stderr.txt) &
    pid=$!
    if [[ "$how" =~ ^(TERM|HUP|INT)$ ]]; then
        # run.log is emptied once the audio device is open; the quit comes at the first frame.
        waitFor 30 test -e "$work/run.log" || fail "$name: no run.log within 30 s"
        kill -"$how" "$pid" 2>/dev/null
    fi
    if ! waitFor 30 bash -c '! kill -0 "$1" 2>/dev/null' _ "$pid"; then
        fail "$name: still running after 30 s"
        kill -KILL "$pid" 2>/dev/null
    fi
    wait "$pid"
    got=$?
    seen="$(grep -xE 'SDL_Init|Mix_OpenAudio|Mix_CloseAudio|SDL_Quit|exit' "$work/order.log" 2>/dev/null | tr '\n' ' ' | sed 's/ $//')"
    last="$(tail -n 1 "$work/run.log" 2>/dev/null)"
    checks=$((checks + 3))
    [ "$got" = "$status" ] || fail "$name: exit status $got, expected $status"
    [[ "$last" == "$logged"* ]] || fail "$name: run.log ends with [$last], expected [$logged...]"
    [ "$seen" = "$order" ] || fail "$name: SDL and the mixer saw [$seen], expected [$order]"
    if [ "$failures" -gt "$before" ]; then
        echo "[exit-order] $name: stdout: $(head -c 300 "$work/stdout.txt" | tr -d '\033')" >&2
        echo "[exit-order] $name: stderr: $(head -c 300 "$work/stderr.txt")" >&2
    fi
done
echo "exit-order: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
