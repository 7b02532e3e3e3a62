#!/usr/bin/env bash
# Writes the cycle scripts (*.in) of the golden traces: title keys by hand, games played by the simulator's players.
#
#   compose.sh SIM     run in a directory that holds resource/; rewrites tests/golden/*.in
#
# A game inside a script is the simulator's own game at that level and seed, recorded alone: the title
# draws no random numbers, so the game replays the same inside the cycle. Only run this when the game
# changed on purpose and a script no longer reaches what it is named for; then rewrite the golden lines.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
sim="$(readlink -f "$1")"
scratch="$(mktemp -d /tmp/zorvane-compose-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT

# keys KEYS N [KEYS N]...: N frames holding KEYS ("-" for none), then the next.
keys() { local i; while [ $# -gt 0 ]; do for ((i = 0; i < $2; ++i)); do echo "$1"; done; shift 2; done; }
# game INPUT LEVEL SEED [FRAMES]: the keys of a whole game (or its first FRAMES frames).
game() {
    "$sim" --input "$1" --level "$2" --seed "$3" ${4:+--max-frames "$4"} --record "$scratch/rec.txt" >/dev/null
    grep -v -e '^#' -e '^game ' "$scratch/rec.txt"
}
write() { # name comment [seed], keys on stdin, from the title at level 0 with seed 1 unless given
    { echo "# $2" && echo "game 0 ${3:-1}" && cat; } >"$here/$1.in"
    echo "$1: $(grep -vc -e '^#' -e '^game ' "$here/$1.in") frames"
}

{
    keys - 5 d 3   # at 0 already: the level stays, the wait still starts
    keys - 12 u 23 # changes in frames 1, 12 and 23: level 3
    keys - 11 ud 11 # up and down cancel out
    keys - 2 r 110 # five at a time up to the top, 50
    keys u 12      # no further
    keys - 11 l 1  # 45
    keys - 11 dl 1 # both at once: 39
    keys - 11 z 6  # the push starts the game; holding it on starts nothing more
    game random 39 1 300
} | write choose-level "choose a level with the cursor keys, then z"

{
    keys u 12 - 3 z 1 # level 2
    game random 2 7
    keys - 30 z 1 # restart inside the game scene
    game bot 2 7 400
} | write game-over "play to GAME OVER, then restart" 7

{
    keys - 3 z 1
    game bot 0 1  # the bot bombs the boss down
    keys - 10 z 1 # confirm the clear: the end roll
    keys - 2800 z 1 # leave the END screen for the title
    keys - 5 z 1  # a second game
    game bot 0 2 400
} | write clear-by-bombs "play to a clear by bombs, through the whole end roll to END, back to the title and into a second game"

{
    keys u 23 - 2 z 1 # level 3
    game bot 3 1
    keys - 10 z 1 - 5 x 1 # cut the roll short
    keys - 60 z 4 # leaves the END screen; held on, it starts no game
    keys - 5 z 1
    game bot 3 2 300
} | write clear-skip-roll "a clear by bombs, the end roll cut short with x, END, the title and a second game"

{
    keys r 12 - 2 z 1 # level 10
    game bot 10 1     # survives into CRAZY MODE, then loses the ship
    keys - 20 z 1
    game bot 10 3 200
} | write crazy-mode "reach CRAZY MODE, then a game over and a restart"

{
    keys - 3 u 12 # level 2, the second change after the 10-frame wait
    keys - 11 d 12 - 2 z 1 # back to 0
    game bot 0 1  # items, captures and bomb hits, CRAZY MODE and the clear by bombs
    keys - 250 z 1 # the white band is over: the fade to black, then the colour noise
    keys - 2800 z 1 # the whole end roll, then END
    keys - 5 z 1
    keys - 600 z 1 # hands off: the pods lost and the hit survived, then the ship lost: GAME OVER; restart
    keys - 30
} | write every-phase "every timed phase of every screen: the title's wait, a game through its pauses, CRAZY MODE and the clear, the clear's white band, fade and colour noise, the whole end roll and END, the title, a game lost hands off after a survived hit, and its restart"

{
    keys r 90 - 11 u 23 - 2 z 1 # 45, then 48
    game bot 48 1 # the boss leaves by itself at 3600
    keys - 10 z 1 x 1 - 60 z 1 - 20
} | write clear-3600 "reach the clear at 3600, when the boss destroys itself"
