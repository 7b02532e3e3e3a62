#!/usr/bin/env bash
# zorvane-sim as a program: separate runs agree, --record/--input replays, bad use fails with a message.
# Argument: the simulator. Runs in a directory that holds resource/.
set -u
sim="$1"
scratch="$(mktemp -d /tmp/zorvane-simcli-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Two processes, the same arguments: the same lines, and nothing on stderr when it is not a terminal.
"$sim" --level 6 --seed 11 --games 3 --input bot >"$scratch/a.txt" 2>"$scratch/a.err" || fail "first run failed"
"$sim" --level 6 --seed 11 --games 3 --input bot >"$scratch/b.txt" 2>/dev/null || fail "second run failed"
[ "$(wc -l <"$scratch/a.txt")" -eq 3 ] || fail "3 games should print 3 lines: $(cat "$scratch/a.txt")"
cmp -s "$scratch/a.txt" "$scratch/b.txt" || fail "two runs differ: $(diff "$scratch/a.txt" "$scratch/b.txt")"
[ ! -s "$scratch/a.err" ] || fail "stderr is not a terminal, yet got: $(head -c 200 "$scratch/a.err")"
grep -Eqv '^level=6 seed=1[123] outcome=(clear|over@[0-9]+) score=[0-9]+ time=[0-9]+ maxRatio=[0-9]+ hash=[0-9a-f]{16} trace=[0-9a-f]{16}$' \
    "$scratch/a.txt" && fail "malformed line in: $(cat "$scratch/a.txt")"

# On a terminal the same run draws its progress bar there, one step per game, and clears it at the end.
if command -v script >/dev/null; then
    script -qc "'$sim' --level 50 --games 3 >/dev/null" /dev/null </dev/null | tr '\r' '\n' >"$scratch/tty.txt"
    for n in 1 2 3; do
        grep -q "] $n/3 games" "$scratch/tty.txt" || fail "no progress step $n/3 on a terminal: $(head -c 300 "$scratch/tty.txt")"
    done
    [ "$(grep -c 'games' "$scratch/tty.txt")" -eq 3 ] || fail "the bar should show exactly 3 steps"
fi

# Record random games at three levels, replay the file: the very same lines.
"$sim" --level 20 --seed 4 --games 2 --record "$scratch/rec.txt" >"$scratch/live.txt" || fail "recording run failed"
"$sim" --input "$scratch/rec.txt" >"$scratch/replay.txt" || fail "replay run failed"
cmp -s "$scratch/live.txt" "$scratch/replay.txt" ||
    fail "replay differs: $(diff "$scratch/live.txt" "$scratch/replay.txt")"
[ "$(grep -c '^game ' "$scratch/rec.txt")" -eq 2 ] || fail "the record should hold 2 games"

# Stopped half way, a recording keeps every game it finished, and they replay to the golden lines.
"$sim" --all-levels --input bot --record "$scratch/cut.rec" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 1200); do
    [ "$(cat "$scratch/cut.rec" 2>/dev/null | grep -c '^game ')" -ge 3 ] && break
    sleep 0.05
done
kill -TERM "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
kept="$(grep -c '^game ' "$scratch/cut.rec")"
[ "$kept" -ge 3 ] && [ "$kept" -lt 51 ] || fail "an interrupted recording kept $kept games"
"$sim" --input "$scratch/cut.rec" >"$scratch/cut.out" || fail "the kept games do not replay"
golden="$(dirname "${BASH_SOURCE[0]}")/../golden/bot.txt"
head -n "$kept" "$golden" | cmp -s - "$scratch/cut.out" ||
    fail "the kept games replay differently: $(head -n "$kept" "$golden" | diff - "$scratch/cut.out" | head -4)"

# A headerless input file drives the game at the level and seed given.
grep -v '^game ' "$scratch/rec.txt" | head -n 400 >"$scratch/plain.txt"
"$sim" --input "$scratch/plain.txt" --level 9 --max-frames 300 --games 2 >"$scratch/plain.out" ||
    fail "headerless replay failed"
grep -Eq '^level=9 seed=2 outcome=(cut@300|over@[0-9]+) ' "$scratch/plain.out" || fail "headerless: $(cat "$scratch/plain.out")"

# Bad use: status 1, a message naming the problem, no game played.
expect_error() { # expected-text args...
    local want="$1"
    shift
    out="$("$sim" "$@" 2>&1 >/dev/null)"
    status=$?
    [ "$status" -eq 1 ] || fail "$* ended with status $status, not 1"
    case "$out" in *"$want"*) ;; *) fail "$*: expected \"$want\" in: $out" ;; esac
}
expect_error '--level wants a whole number from 0 to 50, not "51"' --level 51
expect_error '--games wants a whole number from 1 to 1000000, not "3x"' --games 3x
expect_error '--level and --all-levels exclude each other' --level 2 --all-levels
expect_error 'unknown option "--speed"' --speed 2
expect_error 'cannot read the input file' --input "$scratch/missing.txt"
printf 'game 3 1\nz\nzk\n' >"$scratch/bad.txt"
expect_error "input line 3: unknown key 'k'" --input "$scratch/bad.txt"
expect_error 'names its own levels and seeds' --input "$scratch/rec.txt" --seed 3
expect_error 'cannot write the record file' --record "$scratch/no/such/dir/rec.txt"
expect_error '--from-title plays a script: give it --input FILE' --from-title
expect_error 'cannot write the trace file' --trace "$scratch/no/such/dir/trace.txt"

echo "sim_cli: $failures failure(s)"
[ "$failures" -eq 0 ]
