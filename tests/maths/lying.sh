#!/usr/bin/env bash
# The replays and the committed assets under a C library whose maths lies: every golden line and every
# rebuilt asset must come out the same, since nothing they depend on may come from that library.
#
#   lying.sh LIAR PROBE SIM ASSETGEN ASSETGEN_TEST
#
# LIAR is the preloadable lying library, PROBE a program that calls each function it lies about. Runs
# in a directory that holds resource/ (the build tree). Prints "lying maths: N checks passed".
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
liar="$(readlink -f "$1")" probe="$2" sim="$(readlink -f "$3")" assetgen="$4" assetgen_test="$5"
scratch="$(mktemp -d /tmp/zorvane-lying-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
status=0 checks=0
fail() { echo "FAIL lying maths: $*"; status=1; }

# 1. The library lies, in every function, here: else the rest would prove nothing.
"$probe" >"$scratch/truth.txt" && LD_PRELOAD="$liar" "$probe" >"$scratch/lies.txt" || fail "the probe failed"
same="$(paste -d '\t' "$scratch/truth.txt" "$scratch/lies.txt" | awk -F'\t' '$1 == $2 { print $1 }')"
if [ "$(wc -l <"$scratch/truth.txt")" -lt 40 ] || [ -n "$same" ]; then
    fail "the preloaded library does not lie in: ${same:-(the probe printed too little)}"
else
    checks=$((checks + 1))
fi

# 2. The golden games, with only the simulator lied to (not the shell and tools that compare): the
# random games and the cycles, every level's rules played; the bot's games add no maths of their own
# (the simulator is one program, and libm_free finds no libm symbol in it) but a third of a minute.
printf '#!/bin/sh\nLD_PRELOAD="%s" exec "%s" "$@"\n' "$liar" "$sim" >"$scratch/lying-sim"
chmod +x "$scratch/lying-sim"
if ZORVANE_GOLDEN_QUICK=1 bash "$here/../golden/golden.sh" check "$scratch/lying-sim" random cycles; then
    checks=$((checks + 1))
else
    fail "the golden lines change when the C library's maths does"
fi

# 3. The generator's rebuild against the committed files, every library in it lied to.
if LD_PRELOAD="$liar" "$assetgen_test" --gtest_filter='Generator.RerunReproducesEveryCommittedFile' \
    >"$scratch/assetgen.txt" 2>&1; then
    checks=$((checks + 1))
else
    cat "$scratch/assetgen.txt"
    fail "the rebuilt assets change when the C library's maths does"
fi

# 4. The music too, byte for byte: that test holds the music only to its decoded length, since the
# Vorbis encoder's own maths shapes its bytes; so here the generator alone is lied to, and its whole
# output must equal that of a run told the truth.
"$assetgen" "$scratch/truth" && ZORVANE_LIE_TO_MAIN=1 LD_PRELOAD="$liar" "$assetgen" "$scratch/lies" ||
    fail "the generator failed"
if diff -r "$scratch/truth" "$scratch/lies"; then
    checks=$((checks + 1))
else
    fail "the generator's output changes when its own calls to the C library's maths are lied to"
fi

[ "$status" -eq 0 ] && echo "lying maths: $checks checks passed"
exit "$status"
