#!/usr/bin/env bash
# Runs one fuzz target for as long as asked, building the fuzz preset first where needed. Its working
# corpus stays out of git, in build/fuzz/corpus/TARGET; whatever it finds (a crash, a leak, a
# timeout or running out of memory) is copied into tests/fuzz/TARGET/, where its CTest replays it.
#
#   bash scripts/fuzz.sh TARGET SECONDS
#
# TARGET: one of tests/fuzz/fuzz_*.cpp (fuzz_bmp, fuzz_wav, fuzz_ogg, fuzz_replay, ...). Exits 1 after
# a finding.
# With LD_LIBRARY_PATH=/usr/lib/<arch>/sdl12-compat the pictures and sounds load through SDL 2.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
usage() {
  echo "usage: bash scripts/fuzz.sh TARGET SECONDS, TARGET one of: $(cd "$root/tests/fuzz" && ls fuzz_*.cpp | grep -v fuzz_seeds | sed 's/\.cpp$//' | tr '\n' ' ')" >&2
  exit 2
}
[ $# -eq 2 ] || usage
target="$1"
seconds="$2"
[ -f "$root/tests/fuzz/$target.cpp" ] && [[ "$target" == fuzz_* ]] && [ "$target" != fuzz_seeds ] || usage
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || usage

build="$root/build/fuzz"
cd "$root"
[ -f "$build/CMakeCache.txt" ] || cmake --preset fuzz
cmake --build --preset fuzz -j "$(nproc)"

corpus="$build/corpus/$target"
found="$build/found/$target"
kept="$root/tests/fuzz/$target"
mkdir -p "$corpus" "$found" "$kept"
# No core files from the crashes it looks for; each input gets 20 s and the process 2 GB, beyond
# which libFuzzer keeps the input as a timeout or as running out of memory.
ulimit -c 0
status=0
"$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$found/" "$corpus" "$build/seeds/$target" "$kept" || status=$?

findings=0
for f in "$found"/crash-* "$found"/leak-* "$found"/timeout-* "$found"/oom-*; do
  [ -e "$f" ] || continue
  mv "$f" "$kept/"
  echo "fuzz: $target found $(basename "$f"), kept as tests/fuzz/$target/$(basename "$f")"
  findings=$((findings + 1))
done
if [ "$findings" -gt 0 ]; then
  echo "fuzz: $target: $findings finding(s); fix the code, then give each a name saying what it holds"
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "fuzz: $target stopped with status $status and left nothing to keep"
  exit "$status"
fi
echo "fuzz: $target: nothing found in $seconds s"
