#!/usr/bin/env bash
# Every way out of the game closes the mixer's audio device before SDL, and both before the process
# starts to exit: a quit, a closed terminal, Ctrl-C, failures before and after the device opened.
# Audio left open at exit crashes SDL2's audio thread under sdl12-compat, now and then.
# usage: exit_order.sh GAME RESOURCE_DIR ORDER_SPY_LIBRARY
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
e2e_setup "$1" "$2"
spy="$(readlink -f "$3")"

# Case: name, how the run is made to end, the exit status, what run.log ends with (a glob), and what
# SDL and the mixer saw, in order.
opened="SDL_Init Mix_OpenAudio Mix_CloseAudio SDL_Quit exit"
cases=(
    "quit;TERM;0;$E2E_QUIT;$opened"
    "closed terminal;HUP;0;$E2E_QUIT;$opened"
    "interrupt (Ctrl-C);INT;0;$E2E_QUIT;$opened"
    "missing sound;rm sound/kin.wav;1;Plix_loadWAV: ?* (resource/sound/kin.wav);$opened"
    "damaged glyph;break font/65.bmp;1;loadFont: ?*: resource/font/65.bmp;$opened"
    "no display;no display;1;Plix_init: Couldn't @(set video mode|initialize SDL);SDL_Init Mix_CloseAudio SDL_Quit exit"
)
shopt -s extglob
for entry in "${cases[@]}"; do
    IFS=';' read -r name how status logged order <<<"$entry"
    e2e_make_workdir "${name// /-}"
    e2e_copy_resources
    case "$how" in
    rm\ *) rm "$E2E_WORK/resource/${how#rm }" ;;
    break\ *) echo "BM broken" >"$E2E_WORK/resource/${how#break }" ;;
    esac
    env=(SDL_VIDEODRIVER=dummy)
    # Without a display and a driver SDL would draw in the terminal, which nobody can play.
    [ "$how" = "no display" ] && env=(-u SDL_VIDEODRIVER -u DISPLAY -u WAYLAND_DISPLAY TERM=xterm)
    e2e_start_game "${env[@]}" ZORVANE_ORDER_LOG="$E2E_WORK/order.log" LD_PRELOAD="$spy${LD_PRELOAD:+:$LD_PRELOAD}"
    if [[ "$how" =~ ^(TERM|HUP|INT)$ ]]; then e2e_stop_with "$how"; else e2e_wait_exit 30; fi
    last="$(e2e_last_line "$E2E_WORK/run.log")"
    e2e_expect "$name: exit status" "$status" "$E2E_STATUS"
    e2e_expect_true "$name: run.log ends with [$last], $logged" eval '[[ "$last" == $logged ]]'
    # A text-mode driver writes its terminal codes around it.
    e2e_expect_true "$name: the line on stdout too" grep -qF "$last" "$E2E_WORK/stdout.txt"
    e2e_expect "$name: what SDL and the mixer saw" "$order" \
        "$(grep -xE 'SDL_Init|Mix_OpenAudio|Mix_CloseAudio|SDL_Quit|exit' "$E2E_WORK/order.log" 2>/dev/null | paste -sd ' ')"
done
e2e_finish
