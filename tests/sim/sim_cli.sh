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

# Record games as replays, which hold their claims and play back to the very same lines.
"$sim" --level 20 --seed 4 --games 2 --record "$scratch/rec.zvr" >"$scratch/live.txt" || fail "recording run failed"
"$sim" --verify "$scratch/rec.zvr" >"$scratch/verify.txt" || fail "the record does not verify: $(cat "$scratch/verify.txt")"
[ "$(grep -c ': holds$' "$scratch/verify.txt")" -eq 2 ] || fail "the record should hold 2 games: $(cat "$scratch/verify.txt")"
sed 's/ claimed .*//' "$scratch/verify.txt" | cmp -s - "$scratch/live.txt" || fail "--verify plays otherwise: $(cat "$scratch/verify.txt")"
"$sim" --input "$scratch/rec.zvr" | cmp -s - "$scratch/live.txt" || fail "--input of the record plays otherwise"

# Killed half way, a recording keeps every game it finished, and they replay to the golden lines.
"$sim" --all-levels --input bot --record "$scratch/cut.zvr" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 1200); do
    [ "$(grep -ao ZVRP "$scratch/cut.zvr" 2>/dev/null | wc -l)" -ge 3 ] && break
    sleep 0.05
done
kill -KILL "$pid" 2>/dev/null # no handler runs: each game must be on disk as it ends
wait "$pid" 2>/dev/null
kept="$(grep -ao ZVRP "$scratch/cut.zvr" | wc -l)"
[ "$kept" -ge 3 ] && [ "$kept" -lt 51 ] || fail "an interrupted recording kept $kept games"
"$sim" --input "$scratch/cut.zvr" >"$scratch/cut.out" || fail "the kept games do not replay"
golden="$(dirname "${BASH_SOURCE[0]}")/../golden/bot.txt"
head -n "$kept" "$golden" | cmp -s - "$scratch/cut.out" ||
    fail "the kept games replay differently: $(head -n "$kept" "$golden" | diff - "$scratch/cut.out" | head -4)"

# A headerless input file drives the game at the level and seed given.
for _ in $(seq 1 400); do echo zl; done >"$scratch/plain.txt"
"$sim" --input "$scratch/plain.txt" --level 9 --max-frames 300 --games 2 >"$scratch/plain.out" ||
    fail "headerless replay failed"
grep -Eq '^level=9 seed=2 outcome=(cut@300|over@[0-9]+) ' "$scratch/plain.out" || fail "headerless: $(cat "$scratch/plain.out")"

# Every option does what it says. --level and --seed with --games: exactly those games, in order.
"$sim" --all-levels --max-frames 2 >"$scratch/all.txt" || fail "--all-levels failed"
[ "$(cut -d' ' -f1 "$scratch/all.txt" | tr '\n' ' ')" = "$(for l in $(seq 0 50); do printf 'level=%s ' "$l"; done)" ] ||
    fail "--all-levels should play levels 0 to 50 in turn: $(cut -d' ' -f1 "$scratch/all.txt" | tr '\n' ' ')"
"$sim" --level 4 --max-frames 300 >"$scratch/default.txt" && "$sim" --level 4 --max-frames 300 --input random >"$scratch/random.txt" ||
    fail "a random game failed"
cmp -s "$scratch/default.txt" "$scratch/random.txt" || fail "the random player is not the default input"
"$sim" --level 4 --max-frames 300 --input bot >"$scratch/bot.txt" || fail "a bot game failed"
cmp -s "$scratch/random.txt" "$scratch/bot.txt" && fail "--input bot plays as the random player does"
grep -q ' outcome=cut@300 ' "$scratch/random.txt" || fail "--max-frames 300 should cut the game: $(cat "$scratch/random.txt")"
"$sim" --level 4 --max-frames 300 --check >"$scratch/checked.txt" || fail "--check failed on a sound game"
cmp -s "$scratch/random.txt" "$scratch/checked.txt" || fail "--check changed the game"
"$sim" --level 2 --seed 9 --max-frames 40 --trace "$scratch/t.txt" >/dev/null || fail "--trace failed"
[ "$(head -n 1 "$scratch/t.txt")" = "# game 2 9" ] || fail "the trace should open with its game: $(head -n 1 "$scratch/t.txt")"
[ "$(grep -c '^frame ' "$scratch/t.txt")" -eq 40 ] || fail "40 frames should give 40 trace blocks, not $(grep -c '^frame ' "$scratch/t.txt")"
# A pace of 20 ms cannot play 10 frames in less than 9 waits: a lower bound, which load only helps.
start="$(date +%s%N)"
"$sim" --level 0 --max-frames 10 --pace 20 >"$scratch/paced.txt" || fail "--pace failed"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed" -ge 180 ] || fail "--pace 20 played 10 frames in $elapsed ms"
"$sim" --level 0 --max-frames 10 | cmp -s - "$scratch/paced.txt" || fail "--pace changed the game"
for help in --help -h; do
    "$sim" "$help" | grep -q '^usage: zorvane-sim' || fail "$help should print the usage on stdout"
done
# Two cycles alike in one file: each starts afresh, with nothing (a wait, a key) kept from the first.
golden_dir="$(dirname "${BASH_SOURCE[0]}")/../golden"
cat "$golden_dir/choose-level.in" "$golden_dir/choose-level.in" >"$scratch/twice.in"
"$sim" --input "$scratch/twice.in" --from-title >"$scratch/cycle.txt" || fail "--from-title failed"
want="$(sed -n 's/^choose-level \(cycle .*\)/\1/p' "$golden_dir/cycles.txt")"
[ "$(cat "$scratch/cycle.txt")" = "$(printf '%s\n%s' "$want" "$want")" ] ||
    fail "--from-title, the same cycle twice: $(cat "$scratch/cycle.txt")"

# Bad use: status 1, a message naming the problem on stderr, no game played.
expect_error() { # expected-text args...
    local want="$1"
    shift
    out="$(timeout 20 "$sim" "$@" 2>&1 >/dev/null)"
    status=$?
    [ "$status" -eq 1 ] || fail "$* ended with status $status, not 1"
    case "$out" in *"$want"*) ;; *) fail "$*: expected \"$want\" in: $out" ;; esac
}
# What readOptions refuses is sim_test's table; here the program's way of saying it.
expect_error 'unknown option "--sp\x01eed"' $'--sp\x01eed'
expect_error '--from-title takes no --all-levels, --max-frames or --record' --from-title --input "$scratch/plain.txt" --all-levels
for extra in "--level 3" --all-levels "--seed 3" "--games 2"; do
    # shellcheck disable=SC2086
    expect_error 'names its own levels and seeds; drop --level, --seed and --games' --input "$scratch/rec.zvr" $extra
done

# Files: only plain files, in and out, and never one for two; what is no file is refused as such,
# before anything could wait on it.
mkfifo "$scratch/fifo"
mkdir "$scratch/folder"
ln -s "$scratch/plain.txt" "$scratch/link"
for what in fifo folder /dev/null; do
    path="$what"
    [ "$what" = /dev/null ] || path="$scratch/$what"
    expect_error "the input file \"$path\" is not a regular file" --input "$path"
    expect_error "the record file \"$path\" is not a regular file" --record "$path"
    expect_error "the trace file \"$path\" is not a regular file" --trace "$path"
done
expect_error 'the trace file "/dev/full" is not a regular file' --trace /dev/full --max-frames 5
expect_error "the record file \"$scratch/link\" is a link, not a regular file" --record "$scratch/link"
expect_error "the trace file \"$scratch/link\" is a link, not a regular file" --trace "$scratch/link"
expect_error "the input file \"$scratch/missing.txt\" cannot be read: No such file or directory" --input "$scratch/missing.txt"
expect_error "the record file \"$scratch/no/dir/r.txt\" cannot be written: No such file or directory" --record "$scratch/no/dir/r.txt"
expect_error "the trace file \"$scratch/no/dir/t.txt\" cannot be written: No such file or directory" --trace "$scratch/no/dir/t.txt"
expect_error "the trace file \"$scratch/two.txt\" is named for two files of the run" --record "$scratch/two.txt" --trace "$scratch/two.txt"
expect_error "the trace file \"$scratch/./two.txt\" is named for two files of the run" --record "$scratch/two.txt" --trace "$scratch/./two.txt"
cp "$scratch/rec.zvr" "$scratch/in.txt"
expect_error "the record file \"$scratch/in.txt\" is named for two files of the run" --input "$scratch/in.txt" --record "$scratch/in.txt"
cmp -s "$scratch/rec.zvr" "$scratch/in.txt" || fail "a refused record emptied its input"
expect_error "the trace file \"$scratch/in.txt\" is named for two files of the run" --input "$scratch/in.txt" --trace "$scratch/in.txt"

# A write that fails mid-run (a full disk: here a file size limit) is a failure, not a success.
for out in trace record; do
    got="$( (trap '' XFSZ; ulimit -f 1; exec "$sim" --"$out" "$scratch/full.$out" --games 10) 2>&1 >/dev/null | cat)"
    status="$( (trap '' XFSZ; ulimit -f 1; exec "$sim" --"$out" "$scratch/full2.$out" --games 10) >/dev/null 2>&1; echo $?)"
    [ "$status" -eq 1 ] || fail "--$out on a full disk ended with status $status, not 1"
    [ "$got" = "zorvane-sim: writing \"$scratch/full.$out\" failed" ] || fail "--$out on a full disk said: $got"
done

# A game that fails on a damaged resource, here the music its start loads, ends with status 1 and says
# so on stderr and, as the game does, as the one line of run.log; standard output holds no game line.
mkdir "$scratch/damaged"
cp -rL resource "$scratch/damaged/resource"
head -c 1000 resource/sound/bgm.ogg >"$scratch/damaged/resource/sound/bgm.ogg"
echo "an earlier run" >"$scratch/damaged/run.log"
(cd "$scratch/damaged" && exec "$sim" --level 3 --games 2 >out.txt 2>err.txt)
status=$?
said="$(tail -n 1 "$scratch/damaged/err.txt")"
[ "$status" -eq 1 ] || fail "a damaged music file ended the run with status $status, not 1"
case "$said" in "zorvane-sim: Plix_playBgm: "?*) ;; *) fail "a damaged music file said: $said" ;; esac
[ "$(cat "$scratch/damaged/run.log")" = "${said#zorvane-sim: }" ] ||
    fail "run.log should hold the failure alone: $(head -c 300 "$scratch/damaged/run.log")"
[ ! -s "$scratch/damaged/out.txt" ] || fail "a failed game printed: $(head -c 300 "$scratch/damaged/out.txt")"

# A bad line of an input file (sim_test has the reader's table) stops the program before any game.
printf 'game 0 1\nz x\n' >"$scratch/case.in"
expect_error "input line 2: unknown key ' '" --input "$scratch/case.in"

echo "sim_cli: $failures failure(s)"
[ "$failures" -eq 0 ]
