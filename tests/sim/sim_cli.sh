#!/usr/bin/env bash
# zorvane-sim as a program: separate runs agree, --record/--input replays, bad use fails with a message.
# Argument: the simulator. Runs in a directory that holds resource/. What readOptions and the input
# reader accept and refuse is sim_test's table; here each option's effect and the program's words.
set -u
sim="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
scratch="$(mktemp -d /tmp/zorvane-simcli-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
E2E_TAG=sim_cli
source "$here/../e2e/lib/checks.sh"
source "$here/../e2e/lib/xserver.sh" # e2e_poll
# run OUT ARGS...: the simulator's lines in scratch/OUT; a failed check when it fails.
run() { "$sim" "${@:2}" >"$scratch/$1" || e2e_fail "zorvane-sim ${*:2}: status $?"; }

# Two processes, the same arguments: the same lines, and nothing on stderr when it is not a terminal.
run a.txt --level 6 --seed 11 --games 3 --input bot 2>"$scratch/a.err"
run b.txt --level 6 --seed 11 --games 3 --input bot 2>/dev/null
line='level=6 seed=1[123] outcome=(clear|over@[0-9]+) score=[0-9]+ time=[0-9]+ maxRatio=[0-9]+'
line+=' hash=[0-9a-f]{16} trace=[0-9a-f]{16}'
e2e_expect "3 games, well-formed lines" "3 of 3" \
    "$(grep -Ecx "$line" "$scratch/a.txt") of $(wc -l <"$scratch/a.txt")"
e2e_expect "two runs, the same lines" "$(cat "$scratch/a.txt")" "$(cat "$scratch/b.txt")"
e2e_expect "stderr, not a terminal" "" "$(head -c 200 "$scratch/a.err")"

# On a terminal the same run draws its progress bar there, one step per game, and clears it at the end.
if command -v script >/dev/null; then
    script -qc "'$sim' --level 50 --games 3 >/dev/null" /dev/null </dev/null |
        tr '\r' '\n' >"$scratch/tty.txt"
    e2e_expect "the bar's steps on a terminal" "] 1/3 games ] 2/3 games ] 3/3 games" \
        "$(grep -o '] [0-9]*/3 games' "$scratch/tty.txt" | paste -sd ' ')"
fi

# Record games as replays, which hold their claims and play back to the very same lines.
run live.txt --level 20 --seed 4 --games 2 --record "$scratch/rec.zvr"
run verify.txt --verify "$scratch/rec.zvr"
run replayed.txt --input "$scratch/rec.zvr"
e2e_expect "--verify: games that hold" 2 "$(grep -c ': holds$' "$scratch/verify.txt")"
e2e_expect "--verify plays the recorded games" "$(cat "$scratch/live.txt")" \
    "$(sed 's/ claimed .*//' "$scratch/verify.txt")"
e2e_expect "--input of the record plays them" "$(cat "$scratch/live.txt")" "$(cat "$scratch/replayed.txt")"

# Killed half way, a recording keeps every game it finished, and they replay to the golden lines.
"$sim" --all-levels --input bot --record "$scratch/cut.zvr" >/dev/null 2>&1 &
pid=$!
three_kept() { [ "$(grep -ao ZVRP "$scratch/cut.zvr" 2>/dev/null | wc -l)" -ge 3 ]; }
e2e_poll 60 three_kept
kill -KILL "$pid" 2>/dev/null # no handler runs: each game must be on disk as it ends
wait "$pid" 2>/dev/null
kept="$(grep -ao ZVRP "$scratch/cut.zvr" | wc -l)"
e2e_expect_true "an interrupted recording kept 3 to 50 games, not $kept" test "$kept" -ge 3 -a "$kept" -lt 51
run cut.out --input "$scratch/cut.zvr"
e2e_expect "the kept games replay to the golden lines" "$(head -n "$kept" "$here/../golden/bot.txt")" \
    "$(cat "$scratch/cut.out")"

# A headerless input file drives the game at the level and seed given.
yes zl | head -n 400 >"$scratch/plain.txt"
run plain.out --input "$scratch/plain.txt" --level 9 --max-frames 300 --games 2
e2e_expect_true "headerless input" \
    grep -Eq '^level=9 seed=2 outcome=(cut@300|over@[0-9]+) ' "$scratch/plain.out"

# Every option does what it says. --level and --seed with --games: exactly those games, in order.
run all.txt --all-levels --max-frames 2
e2e_expect "--all-levels: levels 0 to 50 in turn" "$(seq -f 'level=%g' 0 50)" \
    "$(cut -d' ' -f1 "$scratch/all.txt")"
run default.txt --level 4 --max-frames 300
run random.txt --level 4 --max-frames 300 --input random
run bot.txt --level 4 --max-frames 300 --input bot
run check.txt --level 4 --max-frames 300 --check
random="$(cat "$scratch/random.txt")"
e2e_expect "the random player is the default input" "$random" "$(cat "$scratch/default.txt")"
e2e_expect_true "--input bot plays otherwise" test "$random" != "$(cat "$scratch/bot.txt")"
e2e_expect_true "--max-frames 300 cuts the game: $random" grep -q ' outcome=cut@300 ' "$scratch/random.txt"
e2e_expect "--check leaves a sound game as it is" "$random" "$(cat "$scratch/check.txt")"
run t.out --level 2 --seed 9 --max-frames 40 --trace "$scratch/t.txt"
e2e_expect "the trace: its game, then a block a frame" "# game 2 9 40" \
    "$(head -n 1 "$scratch/t.txt") $(grep -c '^frame ' "$scratch/t.txt")"
# A pace of 20 ms cannot play 10 frames in less than 9 waits: a lower bound, which load only helps.
start="$(date +%s%N)"
run paced.txt --level 0 --max-frames 10 --pace 20
elapsed=$((($(date +%s%N) - start) / 1000000))
e2e_expect_true "--pace 20 takes 180 ms for 10 frames at least, not $elapsed" test "$elapsed" -ge 180
run unpaced.txt --level 0 --max-frames 10
e2e_expect "--pace leaves the game as it is" "$(cat "$scratch/unpaced.txt")" "$(cat "$scratch/paced.txt")"
e2e_expect_true "--help prints the usage on stdout" eval '"$sim" --help | grep -q "^usage: zorvane-sim"'
# Two cycles alike in one file: each starts afresh, with nothing (a wait, a key) kept from the first.
cat "$here/../golden/choose-level.in" "$here/../golden/choose-level.in" >"$scratch/twice.in"
run cycle.txt --input "$scratch/twice.in" --from-title
want="$(sed -n 's/^choose-level \(cycle .*\)/\1/p' "$here/../golden/cycles.txt")"
e2e_expect "--from-title, the same cycle twice" "$(printf '%s\n%s' "$want" "$want")" "$(cat "$scratch/cycle.txt")"

# expect_error TEXT ARGS...: bad use, status 1, TEXT in the message on stderr, no game played.
expect_error() {
    local out
    out="$(timeout 20 "$sim" "${@:2}" 2>&1 >"$scratch/error.out")"
    e2e_expect "${*:2}: status" 1 "$?"
    [[ "$out" == *"$1"* ]] && [ ! -s "$scratch/error.out" ] && e2e_pass "${*:2}: \"$1\", no game" ||
        e2e_fail "${*:2}: no \"$1\" in [$out], or a game played"
}
expect_error 'unknown option "--sp\x01eed"' $'--sp\x01eed'
for extra in "--level 3" --all-levels "--seed 3" "--games 2"; do
    # shellcheck disable=SC2086
    expect_error 'names its own levels and seeds; drop --level, --seed and --games' \
        --input "$scratch/rec.zvr" $extra
done
# A bad line of an input file stops the program before any game.
printf 'game 0 1\nz x\n' >"$scratch/case.in"
expect_error "input line 2: unknown key ' '" --input "$scratch/case.in"

# Files: only plain files, in and out, and never one for two; what is no file is refused as such,
# before anything could wait on it.
mkfifo "$scratch/fifo"
mkdir "$scratch/folder"
ln -s "$scratch/plain.txt" "$scratch/link"
for path in "$scratch/fifo" "$scratch/folder" /dev/null; do
    for file in input record trace; do
        expect_error "the $file file \"$path\" is not a regular file" --$file "$path"
    done
done
for file in record trace; do
    expect_error "the $file file \"$scratch/link\" is a link, not a regular file" --$file "$scratch/link"
    expect_error "the $file file \"$scratch/no/dir/f\" cannot be written: No such file or directory" \
        --$file "$scratch/no/dir/f"
done
expect_error "the input file \"$scratch/missing\" cannot be read: No such file or directory" \
    --input "$scratch/missing"
two="is named for two files of the run"
expect_error "the trace file \"$scratch/two.txt\" $two" --record "$scratch/two.txt" --trace "$scratch/two.txt"
expect_error "the trace file \"$scratch/./two.txt\" $two" \
    --record "$scratch/two.txt" --trace "$scratch/./two.txt"
cp "$scratch/rec.zvr" "$scratch/in.txt"
expect_error "the record file \"$scratch/in.txt\" $two" --input "$scratch/in.txt" --record "$scratch/in.txt"
e2e_expect_true "a refused record leaves its input as it was" cmp -s "$scratch/rec.zvr" "$scratch/in.txt"
expect_error "the trace file \"$scratch/in.txt\" $two" --input "$scratch/in.txt" --trace "$scratch/in.txt"

# A write that fails mid-run (a full disk: here a file size limit) is a failure, not a success.
for out in trace record; do
    got="$( (trap '' XFSZ; ulimit -f 1; exec "$sim" --"$out" "$scratch/full.$out" --games 10) 2>&1 \
        >/dev/null)"
    e2e_expect "--$out on a full disk: status and words" \
        "1 zorvane-sim: writing \"$scratch/full.$out\" failed" "$? $got"
done

# A game that fails on a damaged resource, here the music its start loads, ends with status 1 and says
# so on stderr and, as the game does, as the one line of run.log; standard output holds no game line.
mkdir "$scratch/damaged"
cp -rL resource "$scratch/damaged/resource"
head -c 1000 resource/sound/bgm.ogg >"$scratch/damaged/resource/sound/bgm.ogg"
echo "an earlier run" >"$scratch/damaged/run.log"
(cd "$scratch/damaged" && exec "$sim" --level 3 --games 2 >out.txt 2>err.txt)
e2e_expect "a damaged music file: status" 1 "$?"
said="$(tail -n 1 "$scratch/damaged/err.txt")"
[[ "$said" == "zorvane-sim: Plix_playBgm: "?* ]] && e2e_pass "a damaged music file: the words" ||
    e2e_fail "a damaged music file said [$said]"
e2e_expect "a damaged music file: run.log holds the failure alone" "${said#zorvane-sim: }" \
    "$(head -c 300 "$scratch/damaged/run.log")"
e2e_expect "a damaged music file: no game line" "" "$(head -c 300 "$scratch/damaged/out.txt")"
e2e_finish
