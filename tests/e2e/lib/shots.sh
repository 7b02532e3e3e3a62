# e2e helpers: the game's F12 screenshots, and the one comparison of pictures, against the
# simulator's own picture of the same screen. Pixels are compared as raw RGB bytes, which
# ImageMagick 6 and 7 write alike.
# shellcheck shell=bash

E2E_BG="32,32,32" # tests/web/web_test.sh's look at the title's clear
E2E_SIM=""

e2e_im() { if command -v magick >/dev/null; then magick "$@"; else convert "$@"; fi; }

# e2e_rgb IMAGE OUT [X Y]: the pixels (or the one at X, Y) as raw 8-bit RGB, their size in OUT.size.
e2e_rgb() {
    e2e_im "$1" ${3:+-crop "1x1+$3+$4"} -alpha off -depth 8 -format '%wx%h' -write "info:$2.size" "rgb:$2"
}

# e2e_pixel IMAGE X Y: "R,G,B".
e2e_pixel() {
    e2e_rgb "$1" "$E2E_SCRATCH/pixel" "$2" "$3" &&
        od -An -tu1 "$E2E_SCRATCH/pixel" | awk '{ print $1 "," $2 "," $3 }'
}

# e2e_differ SHOT WANT: how many pixels of the two pictures differ, pictures of other sizes
# everywhere; the first eight go to E2E_SCRATCH/differ-where.
e2e_differ() {
    local a="$E2E_SCRATCH/differ-a" b="$E2E_SCRATCH/differ-b"
    e2e_rgb "$1" "$a" && e2e_rgb "$2" "$b" || { echo unreadable; return; }
    cmp -s "$a.size" "$b.size" || { echo "all (sizes $(cat "$a.size") and $(cat "$b.size"))"; return; }
    cmp -l "$a" "$b" | awk -v w="$(cut -dx -f1 "$a.size")" -v where="$E2E_SCRATCH/differ-where" '
        !seen[p = int(($1 - 1) / 3)]++ && n++ < 8 { print "  at " p % w "," int(p / w) > where }
        END { print n + 0 }'
}

# e2e_expect_same DESCRIPTION SHOT WANT: a failed check unless the pictures are the same; a failure
# names the first differing pixels and keeps both pictures in the scratch area, which E2E_KEEP=1
# keeps after the run.
e2e_expect_same() {
    local n kept="$E2E_SCRATCH/failed-$((E2E_FAILURES + 1))"
    rm -f "$E2E_SCRATCH/differ-where"
    n="$(e2e_differ "$2" "$3")"
    [ "$n" != 0 ] || { e2e_pass "$1"; return; }
    e2e_im "$2" "PNG24:$kept-shot.png" && e2e_im "$3" "PNG24:$kept-want.png"
    cat "$E2E_SCRATCH/differ-where" >&2 2>/dev/null
    e2e_fail "$1: $n pixels differ; the pictures: $kept-shot.png, $kept-want.png"
}

# e2e_keep_shot OUT: the game's finished screenshot.bmp kept as OUT, and as a BMP beside it when OUT
# is a PNG, for a later shot to be compared with.
e2e_keep_shot() {
    cp "$E2E_WORK/screenshot.bmp" "${1%.*}.bmp" &&
        { [ "${1%.bmp}" != "$1" ] || e2e_im "${1%.*}.bmp" "PNG24:$1"; }
}

# e2e_shot OUT WHAT XKEYS_ARGS...: xkeys (which says what its arguments mean) with the game's
# screenshot.bmp as its shot, kept as OUT; a failed check, WHAT and why, when no shot came.
e2e_shot() {
    e2e_xkeys -s "$E2E_WORK/screenshot.bmp" "${@:3}" >/dev/null && e2e_keep_shot "$1" ||
        e2e_fail "$2: $(e2e_xkeys_said)"
}

# e2e_screenshot [-t SECONDS] OUT [KEY...]: F12, with the keys held down together with it (30 s at
# most unless given). The shot proves the keys were seen; what they do shows from the next shot on.
e2e_screenshot() {
    local seconds=30
    [ "$1" != -t ] || { seconds="$2" && shift 2; }
    e2e_shot "$1" "screenshot${2:+ with ${*:2}}" -t $((seconds * 1000)) "${@:2}"
}

# e2e_press_and_look OUT KEY...: a push of the keys, down until the game has seen them, and OUT, a
# screenshot of a frame after every frame that could still see them: it shows all that they did.
e2e_press_and_look() { e2e_shot "$1" "${*:2} pushed" -a 2 "${@:2}"; }

# e2e_shoot_until_change [-t SECONDS] BEFORE OUT X Y W H [KEY...]: holds the keys down and takes
# screenshots until the rectangle differs from BEFORE's (a shot kept as above), then lets go; OUT is
# that shot. A failed check when the deadline (30 s unless given) passes or the game ends first.
e2e_shoot_until_change() {
    local seconds=30
    [ "$1" != -t ] || { seconds="$2" && shift 2; }
    e2e_shot "$2" "${7:-no key} held for a change at ($3, $4) ${5}x$6" -t $((seconds * 1000)) \
        -d "${1%.*}.bmp" "${@:3:4}" "${@:7}"
}

# e2e_sim_shot OUT FRAME ARGS...: the simulator's own picture of frame FRAME of what ARGS play (files
# by full path), drawn on this display in the pixel format of the game's window. It runs in a folder
# of its own, whose run.log is not the game's. SDL 2 (under sdl12-compat) gives its window the focus,
# which goes back to the game's window after.
e2e_sim_shot() {
    local dir="$E2E_SCRATCH/sim" out="$1" frame="$2" status
    shift 2
    mkdir -p "$dir" && ln -sfn "$E2E_RESOURCE" "$dir/resource"
    (cd "$dir" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$E2E_SIM" "$@" --shot "$frame" shot.bmp \
        >/dev/null) && mv "$dir/shot.bmp" "$out"
    status=$?
    [ -z "$E2E_WID" ] || e2e_game_gone || e2e_focus
    return "$status"
}

# e2e_title LEVEL: prints the path of the simulator's picture of the title at LEVEL, made once.
e2e_title() {
    local want="$E2E_SCRATCH/title-$1.bmp"
    [ -f "$want" ] || { printf 'game %d 1\n-\n' "$1" >"$want.in" &&
        e2e_sim_shot "$want" 1 --from-title --input "$want.in"; }
    echo "$want"
}

# e2e_expect_title SHOT LEVEL [WIDTH]: the title as the simulator draws it; a wider window shows the
# same 320 columns and the title's clear colour on to its edge.
e2e_expect_title() {
    local want
    want="$(e2e_title "$2")"
    if [ -n "${3:-}" ]; then
        e2e_im "$want" -background "rgb($(e2e_pixel "$want" 0 0))" -extent "${3}x480" "$want.$3.bmp"
        want="$want.$3.bmp"
    fi
    e2e_expect_same "the title at level $2${3:+, $3 wide}" "$1" "$want"
}

# e2e_expect_fresh_game DESCRIPTION SHOT: the shot is one of the simulator's pictures of the first
# frames of a game begun from the title, those before its first wave leaves the boss at frame 60. Only
# the charged bar's colour, new each frame from the game's random numbers, comes from the seed, which
# the real game takes from the clock: the simulator's bar is painted in the shot's colour. On a
# failure the nearest picture is shown.
e2e_expect_fresh_game() {
    local script="$E2E_SCRATCH/game.in" frame want n best="" fewest="" colour
    [ -f "$script" ] || { echo "game 0 1" && echo z && yes - | head -n 62; } >"$script"
    colour="$(e2e_pixel "$2" 10 450)"
    for ((frame = 2; frame <= 61; frame++)); do
        want="$E2E_SCRATCH/game-$frame.bmp"
        [ -f "$want" ] || e2e_sim_shot "$want" "$frame" --from-title --input "$script" || break
        e2e_im "$want" -region 300x5+10+450 -fill "rgb($colour)" -opaque "rgb($(e2e_pixel "$want" 10 450))" \
            +region "$want.bar.bmp"
        n="$(e2e_differ "$2" "$want.bar.bmp")"
        [ "$n" != 0 ] || { e2e_pass "$1: the simulator's frame $frame of a game"; return 0; }
        [[ "$n" =~ ^[0-9]+$ ]] && ((n < ${fewest:-n + 1})) && best="$want.bar.bmp" fewest="$n"
    done
    e2e_expect_same "$1: none of the simulator's first frames of a game; the nearest" "$2" \
        "${best:-$E2E_SCRATCH/game-2.bmp}"
}
