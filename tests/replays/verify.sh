#!/usr/bin/env bash
# Replays another build recorded, verified by this one: every game of each file holds its claim.
# Usage: verify.sh SIM FILE...   (in a directory that holds resource/)
set -u
sim="$1"
shift
checks=0 failures=0
for file in "$@"; do
    out="$("$sim" --verify "$file" 2>&1)"
    status=$?
    games="$(grep -c ': holds$' <<<"$out")"
    if [ "$status" -eq 0 ] && [ "$games" -gt 0 ]; then
        checks=$((checks + games))
    else
        echo "FAIL: $file: status $status, $games games hold:"
        grep -v ': holds$' <<<"$out" | head -n 4 | sed 's/^/  /'
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] || exit 1
echo "replays: checks: $checks passed"
