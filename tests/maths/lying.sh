#!/usr/bin/env bash
# The replays and the committed assets under a C library whose maths lies: every golden line and every
# rebuilt asset must come out the same, since nothing they depend on may come from that library.
#
#   lying.sh LIAR PROBE SIM ASSETGEN ASSETGEN_TEST
#
# LIAR is the preloadable lying library, PROBE a program that calls each function it lies about. Runs
# in a directory that holds resource/ (the build tree).
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
liar="$(readlink -f "$1")" probe="$2" sim="$(readlink -f "$3")" assetgen="$4" assetgen_test="$5"
scratch="$(mktemp -d /tmp/zorvane-lying-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
E2E_TAG="lying maths"
source "$here/../e2e/lib/checks.sh"

# 1. The library lies, in every function, here: else the rest would prove nothing.
"$probe" >"$scratch/truth.txt" && LD_PRELOAD="$liar" "$probe" >"$scratch/lies.txt" ||
    e2e_fail "the probe failed"
same="$(paste -d '\t' "$scratch/truth.txt" "$scratch/lies.txt" | awk -F'\t' '$1 == $2 { print $1 }')"
e2e_expect_true "the probe calls 40 functions at least" test "$(wc -l <"$scratch/truth.txt")" -ge 40
e2e_expect "the functions the preloaded library tells the truth in" "" "$same"

# 2. The golden games, with only the simulator lied to (not the shell and tools that compare): the
# random games and the cycles, every level's rules played; the bot's games add no maths of their own
# (the simulator is one program, and libm_free finds no libm symbol in it) but a third of a minute.
printf '#!/bin/sh\nLD_PRELOAD="%s" exec "%s" "$@"\n' "$liar" "$sim" >"$scratch/lying-sim"
chmod +x "$scratch/lying-sim"
e2e_expect_true "the golden lines stay when the C library's maths lies" \
    env ZORVANE_GOLDEN_QUICK=1 bash "$here/../golden/golden.sh" check "$scratch/lying-sim" random cycles

# 3. The generator's rebuild against the committed files, every library in it lied to.
LD_PRELOAD="$liar" "$assetgen_test" --gtest_filter='Generator.RerunReproducesEveryCommittedFile' \
    >"$scratch/assetgen.txt" 2>&1
e2e_expect "the rebuilt assets stay when the C library's maths lies" 0 $? || cat "$scratch/assetgen.txt"

# 4. The music too, byte for byte: that test holds the music only to its decoded length, since the
# Vorbis encoder's own maths shapes its bytes; so here the generator alone is lied to, and its whole
# output must equal that of a run told the truth.
"$assetgen" "$scratch/truth" && ZORVANE_LIE_TO_MAIN=1 LD_PRELOAD="$liar" "$assetgen" "$scratch/lies" ||
    e2e_fail "the generator failed"
e2e_expect_true "the generator's output stays when its own calls to the C library's maths lie" \
    diff -r "$scratch/truth" "$scratch/lies"
e2e_finish
