#!/usr/bin/env bash
# Golden traces: whole games and whole-program cycles of the simulator, compared with the lines a trusted build wrote.
#
#   golden.sh check SIM SET...   compares each SET; on a difference, names the first frame and call that differ
#   golden.sh rewrite SIM        rewrites every golden file from SIM, then shows how the traces changed;
#                                games that end in other worlds need a new RULES_VERSION, which RULES
#                                then records
#   golden.sh diff SIM SET N     the text traces of game N of SET from the reference build and from SIM, diffed
#
# SETs: random and bot (levels 0 to 50 at seed 1, one line each), cycles (each script *.in here, played
# from the title). SIM runs in the current directory, which must hold resource/.
#
# The reference build is the simulator of the commit that last changed tests/golden, built once into
# $ZORVANE_GOLDEN_CACHE (default: build/golden-reference in the sources); $ZORVANE_GOLDEN_REFERENCE
# names a simulator to use instead. ZORVANE_GOLDEN_QUICK=1 skips the search for the first difference.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
SETS=(random bot cycles)
E2E_TAG=golden
source "$here/../e2e/lib/checks.sh"

die() { echo "golden: $*" >&2; exit 2; }

# game SIM SET N [ARGS...]: game N of a set on its own (the level, or the cycle's script), and its line.
game() {
    local sim="$1" set="$2" n="$3"
    shift 3
    case "$set" in
    cycles) printf '%s ' "$n" && "$sim" --from-title --input "$here/$n.in" "$@" ;;
    *) "$sim" --level "$n" --input "$set" --seed 1 "$@" ;;
    esac
}

# run_set SIM SET: the set's lines, in the golden file's order.
run_set() {
    local script
    case "$2" in
    random | bot) "$1" --all-levels --input "$2" --seed 1 ;;
    cycles) for script in "$here"/*.in; do game "$1" cycles "$(basename "$script" .in)" || return 1; done ;;
    *) die "unknown set $2" ;;
    esac
}

golden_line() { if [ "$1" = cycles ]; then grep "^$2 " "$here/cycles.txt"; else sed -n "$(($2 + 1))p" "$here/$1.txt"; fi; }
# game_of SET LINE: what names the game of a golden line, its level or its script.
game_of() { if [ "$1" = cycles ]; then echo "${2%% *}"; else sed -n 's/^level=\([0-9]*\) .*/\1/p' <<<"$2"; fi; }
# first_pair OLD NEW: the first two lines that differ, tab-separated.
first_pair() { paste -d '\t' <(echo "$1") <(echo "$2") | awk -F'\t' '$1 != $2 { print; exit }'; }
differing() { paste -d '\t' <(echo "$1") <(echo "$2") | awk -F'\t' '$1 != $2' | wc -l; }
reference_commit() { git -C "$root" log -1 --format=%H -- tests/golden 2>/dev/null; }

reference_sim() {
    [ -z "${ZORVANE_GOLDEN_REFERENCE:-}" ] || { echo "$ZORVANE_GOLDEN_REFERENCE"; return 0; }
    local commit cache src
    commit="$(reference_commit)"
    [ -n "$commit" ] || { echo "golden: no commit has golden files yet, so there is no reference build" >&2; return 1; }
    cache="${ZORVANE_GOLDEN_CACHE:-$root/build/golden-reference}/$commit"
    if [ ! -x "$cache/build/sim/zorvane-sim" ]; then
        echo "golden: building the reference simulator of ${commit:0:12} in $cache" >&2
        src="$cache/src"
        rm -rf "$cache" && mkdir -p "$src" && git -C "$root" archive "$commit" | tar -x -C "$src" || return 1
        { cmake -S "$src" -B "$cache/build" -DZORVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
            cmake --build "$cache/build" --target zorvane-sim -j "$(nproc)"; } >"$cache/build.log" 2>&1 ||
            { echo "golden: the reference build failed; see $cache/build.log" >&2; return 1; }
    fi
    echo "$cache/build/sim/zorvane-sim"
}

# The first frame and call where two text traces part, with the calls before it for context.
first_difference() { # expected-trace actual-trace
    awk -v want="$1" '
        BEGIN { while ((getline line < want) > 0) w[++nw] = line }
        { got[NR] = $0; if ($0 ~ /^frame /) { frame = $2; call = 0 } else ++call }
        w[NR] != $0 && !shown { report(NR); shown = 1 }
        END {
            if (!shown && NR != nw) report(NR < nw ? NR + 1 : nw + 1)
            if (!shown && NR == nw) print "  the two builds make the same calls; only the state of the world differs"
        }
        function report(n,   i) {
            print "  first difference: frame " frame ", call " call " of that frame (trace line " n ")"
            for (i = (n > 4 ? n - 4 : 1); i < n; ++i) print "      " w[i]
            print "    - " (n in w ? w[n] : "(the reference trace ends here)")
            print "    + " (n in got ? got[n] : "(this trace ends here)")
        }' "$2"
}

# The traces of game N from the reference build and from SIM, compared; and whether the reference
# gives the golden line on this machine, which tells a change of the game from a difference of
# machine: the reference is built here, so its calls can only show what the sources changed.
diff_game() { # sim set n [full]
    local sim="$1" set="$2" n="$3" ref scratch reference_line
    ref="$(reference_sim)" || return 1
    scratch="$(mktemp -d /tmp/zorvane-golden-XXXXXX)"
    reference_line="$(game "$ref" "$set" "$n" --trace "$scratch/reference.txt")"
    game "$sim" "$set" "$n" --trace "$scratch/this.txt" >/dev/null
    echo "  $set $n: this build compared with ${ZORVANE_GOLDEN_REFERENCE:+the reference simulator }${ZORVANE_GOLDEN_REFERENCE:-the reference build (the simulator of \
$(reference_commit | cut -c1-12), the last commit to change tests/golden, built here)}"
    if [ -n "${rewriting:-}" ]; then
        : # the golden line is this build's own now
    elif [ "$reference_line" = "$(golden_line "$set" "$n")" ]; then
        echo "  the reference gives the golden line here: the difference comes from the changes made since"
    else
        echo "  the reference misses the golden line here too: the golden files were written by other sources,"
        echo "  or by the same ones where they compute otherwise (another compiler, C library or CPU)"
    fi
    if [ "${4:-}" = full ]; then
        diff -u --label "reference $set $n" --label "this build $set $n" "$scratch/reference.txt" "$scratch/this.txt" |
            head -n "${ZORVANE_GOLDEN_DIFF_LINES:-80}"
    else
        first_difference "$scratch/reference.txt" "$scratch/this.txt"
    fi
    rm -rf "$scratch"
}

check_set() { # sim set
    local sim="$1" set="$2" expected actual bad first n lines
    [ -f "$here/$set.txt" ] || die "no golden file $here/$set.txt"
    expected="$(cat "$here/$set.txt")" lines="$(wc -l <"$here/$set.txt")"
    actual="$(run_set "$sim" "$set")" || { e2e_fail "$set: the simulator failed"; return; }
    bad="$(differing "$expected" "$actual")"
    # Each line that agrees is a check passed.
    [ "$bad" -ne 0 ] ||
        { e2e_pass "$set: $lines lines agree" && E2E_PASSES=$((E2E_PASSES + lines - 1)); return; }
    first="$(first_pair "$expected" "$actual")"
    echo "  - ${first%%$'\t'*}"
    echo "  + ${first#*$'\t'}"
    n="$(game_of "$set" "${first%%$'\t'*}")"
    [ "${ZORVANE_GOLDEN_QUICK:-0}" = 1 ] || [ -z "$n" ] || diff_game "$sim" "$set" "$n"
    e2e_fail "$set: $bad of $lines lines differ, the first as above"
}

# A game must not depend on the games played before it in the same process.
check_alone() { # sim set
    local level
    for level in 0 23 50; do
        e2e_expect "$2: level $level alone, as after the levels before it" "$(golden_line "$2" "$level")" \
            "$(game "$1" "$2" "$level")"
    done
}

# The rules version the sources play, which every replay names.
rules_of_code() { sed -n 's/^constexpr int RULES_VERSION = \([0-9]*\);.*/\1/p' "$root/sim/SimReplay.h"; }

mode="${1:-}"
sim="$(readlink -f "${2:-}")"
[ -x "$sim" ] || die "usage: golden.sh check|rewrite|diff SIM [SET...]"
shift 2
case "$mode" in
check)
    [ $# -gt 0 ] || set -- "${SETS[@]}"
    e2e_expect "the rules version the golden lines were written under, the code's" "$(cat "$here/RULES")" \
        "$(rules_of_code)"
    for set in "$@"; do
        check_set "$sim" "$set" && { [ "$set" = cycles ] || check_alone "$sim" "$set"; }
    done
    e2e_finish
    ;;
rewrite)
    rewriting=1
    fresh="$(mktemp -d /tmp/zorvane-golden-XXXXXX)"
    for set in "${SETS[@]}"; do
        run_set "$sim" "$set" >"$fresh/$set.txt" || die "the simulator failed on $set"
    done
    # New worlds are new rules: a replay recorded under the old ones would play otherwise.
    worlds="$(for set in "${SETS[@]}"; do paste -d '\t' "$here/$set.txt" "$fresh/$set.txt"; done |
        awk -F'\t' '{ a = $1; b = $2; sub(/.* hash=/, "", a); sub(/.* hash=/, "", b)
                      if (substr(a, 1, 16) != substr(b, 1, 16)) n++ } END { print n + 0 }')"
    if [ "$worlds" -gt 0 ] && [ "$(rules_of_code)" = "$(cat "$here/RULES")" ]; then
        die "games end in other worlds ($worlds of them): the game plays differently, so raise RULES_VERSION in sim/SimReplay.h first"
    fi
    rules_of_code >"$here/RULES"
    for set in "${SETS[@]}"; do
        old="$(cat "$here/$set.txt" 2>/dev/null)" new="$(cat "$fresh/$set.txt")"
        mv "$fresh/$set.txt" "$here/$set.txt"
        echo "$set: $(differing "$old" "$new") line(s) rewritten"
        n="$(game_of "$set" "$(first_pair "$old" "$new" | cut -f2)")"
        [ -z "$n" ] || diff_game "$sim" "$set" "$n" full
    done
    rm -rf "$fresh"
    ;;
diff)
    [ $# -eq 2 ] || die "usage: golden.sh diff SIM SET N"
    diff_game "$sim" "$1" "$2" full
    ;;
*) die "usage: golden.sh check|rewrite|diff SIM [SET...]" ;;
esac
