#!/usr/bin/env bash
# Replays another build recorded, verified by this one: every game of each file holds its claim.
# Usage: verify.sh SIM FILE...   (in a directory that holds resource/)
set -u
sim="$1"
shift
E2E_TAG=replays
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib/checks.sh"
for file in "$@"; do
    out="$("$sim" --verify "$file" 2>&1)"
    status=$?
    games="$(grep -c ': holds$' <<<"$out")"
    if [ "$status" -eq 0 ] && [ "$games" -gt 0 ]; then
        e2e_pass "$file: all $games games hold"
        E2E_PASSES=$((E2E_PASSES + games - 1)) # a check a game
    else
        e2e_fail "$file: status $status, $games games hold: $(grep -v ': holds$' <<<"$out" | head -n 4)"
    fi
done
e2e_finish
