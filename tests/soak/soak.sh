#!/usr/bin/env bash
# Soak: one game at every level 0 to 50 with random input and one with the dodging bot (long games
# through CRAZY MODE and the boss's end), all under the simulator's per-frame checks. Meant for the
# sanitizer build; fails on a sanitizer report, a broken check, a crash, a missing game line, or (at
# seed 1) a line other than the golden one.
# Usage: bash soak.sh ZORVANE_SIM [KEEP]   (run in a directory that holds resource/; SOAK_SEED picks
# the seed). KEEP, when given, is a folder that keeps the games as replays, random.zvr and bot.zvr,
# for other builds to verify.
set -u
sim="$1"
keep="${2:-}"
seed="${SOAK_SEED:-1}"
scratch="$(mktemp -d /tmp/zorvane-soak-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/../damaged/lsan.supp:print_suppressions=0"
E2E_TAG=soak
source "$here/../e2e/lib/checks.sh"
# Says which build this is, so a run against an unsanitized simulator is not mistaken for the real soak.
if ldd "$sim" 2>/dev/null | grep -q libasan; then
    echo "soak: $sim is a sanitizer build"
else
    echo "soak: $sim has no sanitizers: only crashes, broken checks and missing games can fail it"
fi

for input in random bot; do
    out="$scratch/$input.out" err="$scratch/$input.err"
    "$sim" --all-levels --seed "$seed" --input "$input" --check --record "$scratch/$input.rec" >"$out" 2>"$err"
    status=$?
    lines="$(grep -c '^level=' "$out")"
    echo "soak: $input input, seed $seed: status $status, $lines of 51 games"
    e2e_expect "$input: status and games$([ "$status" -le 128 ] || echo ", signal $((status - 128))")" \
        "0 51" "$status $lines"
    e2e_expect_true "$input: no sanitizer report" \
        eval '! grep -Eq "ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: (Address|Undefined|Leak)" "$err"'
    if [ -s "$err" ]; then
        head -n 40 "$err"
        # The games up to the failure, to replay them: zorvane-sim --input FILE
        cp "$scratch/$input.rec" "/tmp/zorvane-soak-$input-failed.zvr" 2>/dev/null &&
            echo "      its games are kept in /tmp/zorvane-soak-$input-failed.zvr"
    fi
    [ -z "$keep" ] || { mkdir -p "$keep" && cp "$scratch/$input.rec" "$keep/$input.zvr"; }
    awk '{ split($3, o, "[=@]"); n[o[2]]++ } END { for (k in n) printf "      %s: %d\n", k, n[k] }' "$out"
    # At seed 1 these are the golden games: this build must play them as the trusted one did.
    golden="$here/../golden/$input.txt"
    [ "$seed" != 1 ] || e2e_expect_true "$input: the golden lines" cmp -s "$golden" "$out" ||
        diff "$golden" "$out" | head -n 4 | sed 's/^/      /'
done
e2e_finish
