#!/usr/bin/env bash
# The every-phase cycle reaches what it is named for: its text trace must show each timed phase of
# each screen, so that its golden line guards them all. A change of the game that skips one (a clear
# confirmed before its noise, a roll cut short) fails here even where the line was rewritten.
# Usage: bash phases.sh ZORVANE_SIM   (in a directory that holds resource/)
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
trace="$(mktemp /tmp/zorvane-phases-XXXXXX)"
trap 'rm -f "$trace" "$trace.frames"' EXIT
"$1" --from-title --input "$here/every-phase.in" --trace "$trace" >/dev/null || { echo "FAIL: the simulator failed"; exit 1; }

# One line per frame: its number, its scene, the colour of its last whole-screen fill (the one after the
# frame's grey clear, when a state paints over it), and what it shows and plays.
awk '
    function flush() { if (frame != "") print frame, scene, (fill == "" ? "-" : fill), words }
    /^frame / { flush(); frame = $2; fill = ""; words = ""; next }
    /^scene / { scene = $2 }
    /^fill 0 0 0 0 / { fill = $6 "," $7 "," $8 }
    /^fill [0-9]+ 0 [0-9]+ 480 255 255 255$/ { words = words " band" }
    /^text / { $1 = $2 = $3 = $4 = ""; gsub(/^ +| +$/, ""); gsub(/ +/, "_"); words = words " " $0 }
    /^wav / { words = words " wav:" $2 }
    END { flush() }' "$trace" >"$trace.frames"

E2E_TAG=phases
source "$here/../e2e/lib/checks.sh"
# expect WHAT MIN AWK-CONDITION: at least MIN frames meet the condition.
expect() {
    local n
    n="$(awk "$3 { n++ } END { print n + 0 }" "$trace.frames")"
    e2e_expect_true "$1: $n frames, $2 or more" test "$n" -ge "$2"
}
grey='split($3, c, ",") && c[1] == c[2] && c[2] == c[3]'
expect "the title's level keys, past the 10-frame wait" 1 '/LEVEL_:_2/'
expect "items taken, each freezing play for 10 frames" 2 '/wav:kin/'
expect "captures, and bomb hits freezing play for 5 frames" 20 '/wav:kreel/ || /wav:destroy1/'
expect "the boss's end and two hits on the ship, the pods' and the ship's" 3 '/wav:damage/'
expect "the 60-frame flash after each of those hits" 100 "\$2 == 1 && !/GAME_CLEAR/ && $grey && c[1] >= 40"
expect "CRAZY MODE" 1 '/CRAZY_MODE/'
expect "the clear's white band" 112 '/ band/'
expect "GAME CLEAR fading from white to black" 100 "/GAME_CLEAR/ && $grey && c[1] >= 40"
expect "GAME CLEAR over the colour noise after the fade" 50 \
    '/GAME_CLEAR/ && split($3, c, ",") && c[1] < 40 && c[2] < 40 && c[3] < 40 && !(c[1] == c[2] && c[2] == c[3])'
expect "the whole end roll, 66 rows of 42 frames" 2772 '$2 == 2 && !/ END/'
expect "END after it" 20 '/ END/'
expect "the title after the roll, then a game" 1 '$2 == 0 && $1 > 1000'
expect "GAME OVER" 60 '/GAME_OVER/'
expect "a restart: a fresh game's first TIME after GAME OVER" 1 '(over = over || /GAME_OVER/) && / TIME_:_0( |$)/'
e2e_finish
