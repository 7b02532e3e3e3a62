#!/usr/bin/env bash
# Hostile replays, a set of our own made from a sound one: each is refused with status 1 and its line,
# with no sanitizer report under a sanitizer build, and no game is claimed to hold.
# Usage: hostile.sh SIM, in a directory that holds resource/.
set -u
sim="$1"
scratch="$(mktemp -d /tmp/zorvane-replays-XXXXXX)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export LSAN_OPTIONS="suppressions=$here/../damaged/lsan.supp:print_suppressions=0"
trap 'rm -rf "$scratch"' EXIT
E2E_TAG="hostile replays"
source "$here/../e2e/lib/checks.sh"

# A sound replay: the random player's game over at level 10.
good="$scratch/good.zvr"
"$sim" --level 10 --seed 3 --input random --record "$good" >"$scratch/good.txt" || e2e_fail "recording failed"
grep -q ' outcome=over@' "$scratch/good.txt" ||
    e2e_fail "the sound game should end in a game over: $(cat "$scratch/good.txt")"
"$sim" --verify "$good" >/dev/null || e2e_fail "the sound replay does not verify"

# byte OFFSET of the record as a number of SIZE bytes, little-endian.
field() { od -An -t"u$3" -j "$2" -N "$3" "$1" | tr -d ' '; }
# SIZE bytes at OFFSET of FILE set to VALUE, little-endian.
set_field() { # file offset size value
    local i
    for ((i = 0; i < $3; i++)); do
        printf "\\x$(printf %02x $((($4 >> (8 * i)) & 255)))" |
            dd of="$1" bs=1 seek=$(($2 + i)) conv=notrunc status=none
    done
}
# A copy of the record with one field set; sealed: its checksum made right again (gzip's trailer
# holds the same CRC-32).
patched() { # name offset size value [sealed]
    cp "$good" "$scratch/$1.zvr"
    set_field "$scratch/$1.zvr" "$2" "$3" "$4"
    [ -z "${5:-}" ] || seal "$scratch/$1.zvr"
}
seal() { head -c -4 "$1" >"$1.body" && { cat "$1.body"; gzip -c "$1.body" | tail -c 8 | head -c 4; } >"$1"; }
refused() { # name expected-text
    local out status
    out="$("$sim" --verify "$scratch/$1.zvr" 2>&1 >"$scratch/$1.out")"
    status=$?
    [ "$status" -eq 1 ] && [[ "$out" == *"$2"* && "$out" != *Sanitizer* && "$out" != *"runtime error"* ]] &&
        ! grep -q ': holds$' "$scratch/$1.out" && e2e_pass "$1" ||
        e2e_fail "$1: status $status, not 1; or no \"$2\", a sanitizer report or a game said to hold: $out"
}

frames="$(field "$good" 22 4)" score="$(field "$good" 26 4)" runs="$(field "$good" 34 4)"
printf 'game 0 1\nz\n' >"$scratch/text.zvr"
refused text "is no replay file (no ZVRP mark)"
head -c 10 "$good" >"$scratch/cut-header.zvr"
refused cut-header "cut short: a replay needs 42 bytes at least, 10 remain"
head -c -3 "$good" >"$scratch/cut-runs.zvr"
refused cut-runs "cut short: its key runs and checksum need"
{ cat "$good"; printf 'XYZ'; } >"$scratch/too-long.zvr"
refused too-long "cut short: a replay needs 42 bytes at least, 3 remain"
{ cat "$good" "$good"; head -c 20 "$good"; } >"$scratch/third-cut.zvr"
refused third-cut "cut short"
patched format 4 1 2 && refused format "a replay of format 2; this reads format 1"
patched rules 5 2 $(($(field "$good" 5 2) + 1))
refused rules "which this build does not play: it plays rules version $(field "$good" 5 2)"
patched level 7 1 51 sealed && refused level "level 51, not 0 to 50"
patched frames 22 4 100001 sealed && refused frames "frame count 100001, not 1 to 100000"
patched runs 34 4 4294967295 sealed && refused runs "runs 4294967295, not 2 to"
patched damaged 40 1 $(($(field "$good" 40 1) ^ 1)) && refused damaged "the checksum does not match"
patched keys 38 1 64 sealed && refused keys "keys 64 hold no control"
patched score 26 4 $((score + 1)) sealed && refused score "claims score $((score + 1)), the game scored $score"
# A hundred frames of keys after the game's end (a run of 100 frames of no key), the claim otherwise
# the same.
patched past-end 22 4 $((frames + 100))
set_field "$scratch/past-end.zvr" 34 4 $((runs + 2))
{ head -c -4 "$scratch/past-end.zvr"; printf '\x00\x64'; } >"$scratch/past-end.body"
mv "$scratch/past-end.body" "$scratch/past-end.zvr"
printf '\0\0\0\0' >>"$scratch/past-end.zvr"
seal "$scratch/past-end.zvr"
refused past-end "input past the end of the game: it ended at frame $frames, the replay holds $((frames + 100))"

e2e_finish
