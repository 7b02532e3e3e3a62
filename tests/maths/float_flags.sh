#!/usr/bin/env bash
# Every translation unit of the maths, the game, the simulator and the generator is compiled with fused
# multiply-adds off and no fast-maths flag, as the build's own compile commands show.
#
#   float_flags.sh compile_commands.json SOURCE_DIR
set -uo pipefail
commands="$1" source="$2"
[ -r "$commands" ] || { echo "FAIL float_flags: no $commands"; exit 1; }
awk -v source="$source/" '
    /"command":/ { command = $0 }
    /"file":/ {
        file = $0; sub(/.*"file": *"/, "", file); sub(/".*/, "", file)
        if (index(file, source) != 1) next
        if (substr(file, length(source) + 1) !~ /^(maths|objects|flow|plix|plix\/desktop|plix\/web|sim|tools\/assetgen)\/[^\/]*\.cpp$/) next
        ++units
        # The last -ffp-contract= is the one that holds.
        contract = ""; rest = command
        while (match(rest, /-ffp-contract=[a-z]+/)) {
            contract = substr(rest, RSTART + 14, RLENGTH - 14); rest = substr(rest, RSTART + RLENGTH)
        }
        if (contract != "off") { print "FAIL float_flags: " file " has -ffp-contract=" contract; bad = 1 }
        if (match(command, /-(ffast-math|Ofast|funsafe-math-optimizations|fassociative-math|freciprocal-math|ffinite-math-only|fno-signed-zeros|mfpmath=387)( |")/)) {
            print "FAIL float_flags: " file " has " substr(command, RSTART, RLENGTH - 1); bad = 1
        }
    }
    END {
        if (units < 20) { print "FAIL float_flags: only " units + 0 " units of the game found"; exit 1 }
        if (!bad) print "ok   float_flags: " units " units compiled with -ffp-contract=off and no fast maths"
        exit bad
    }' "$commands"
