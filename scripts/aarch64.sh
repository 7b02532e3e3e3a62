#!/usr/bin/env bash
# Cross-builds the simulator for 64-bit ARM and holds its games, run under qemu, against every golden line
# and against replays recorded on this machine.
# Usage: bash scripts/aarch64.sh [--no-maths]
#   --no-maths  skips the sweep of the game's own sin, cos and atan2 (tests/maths/trig_test.cpp)
#
# Installs what is missing through scripts/setup.sh --aarch64: Debian's aarch64 cross compiler, qemu's
# user-mode emulator and mmdebstrap. SDL 1.2's -dev package cannot be installed for two architectures at once,
# so the arm64 headers and libraries come from a Debian tree of their own, made once into
# $ZORVANE_ARM64_SYSROOT (default ~/.cache/zorvane/arm64) and used by cmake/aarch64.cmake; the
# simulator runs under qemu with that tree as its root. The build is the aarch64 preset's, build/aarch64/.
# Ends with "aarch64: N golden lines equal", or exits non-zero on any difference or failure.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sysroot="${ZORVANE_ARM64_SYSROOT:-$HOME/.cache/zorvane/arm64}"
build="$root/build/aarch64"
case "$*" in
"" | --no-maths) maths="${1:-yes}" ;;
*) echo "usage: bash scripts/aarch64.sh [--no-maths]" >&2 && exit 2 ;;
esac

fail() { echo "aarch64: FAILED: $*"; exit 1; }

bash "$root/scripts/setup.sh" --aarch64
qemu="$(command -v qemu-aarch64-static || command -v qemu-aarch64)" || fail "no qemu-aarch64 after installing"

# The arm64 tree: what the simulator and the maths test build against and run on, with the packages'
# dependencies, from this machine's Debian release, with the C++ library of the cross compiler's
# version. It is remade when these change.
suite="$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)"
[ -n "$suite" ] || fail "no Debian release named in /etc/os-release"
gcc_major="$(aarch64-linux-gnu-g++ -dumpversion | cut -d. -f1)"
# The tests' build (whose maths test runs here) wants the generator's and the benchmark's libraries too.
tree_packages="libc6-dev,libstdc++-$gcc_major-dev,libsdl1.2-dev,libsdl-mixer1.2-dev,libogg-dev,libgtest-dev"
tree_packages+=",libbenchmark-dev,libvorbis-dev,libpng-dev"
stamp="$sysroot/.zorvane-packages"
if [ "$(cat "$stamp" 2>/dev/null)" != "$suite $tree_packages" ]; then
    echo "aarch64: making the arm64 tree of Debian $suite in $sysroot"
    rm -rf "$sysroot.new"
    mkdir -p "$(dirname "$sysroot")"
    # Only unpacked, never configured: nothing of arm64 runs on this machine but under qemu.
    mmdebstrap --quiet --variant=extract --arch=arm64 --include="$tree_packages" "$suite" "$sysroot.new" ||
        fail "mmdebstrap could not make the arm64 tree"
    echo "$suite $tree_packages" >"$sysroot.new/.zorvane-packages"
    rm -rf "$sysroot"
    mv "$sysroot.new" "$sysroot"
fi

mkdir -p "$build"
buildlog="$build/cross-build.log"
export ZORVANE_SYSROOT="$sysroot"
(cd "$root" && cmake --preset aarch64 >"$buildlog" 2>&1) || { cat "$buildlog"; fail "configuring the cross build"; }
(cd "$root" && cmake --build --preset aarch64 -j 2 >>"$buildlog" 2>&1) ||
    { tail -40 "$buildlog"; fail "building the simulator and the maths test; see $buildlog"; }
kind="$(file -b "$build/sim/zorvane-sim")"
echo "aarch64: sim/zorvane-sim: $kind"
[[ "$kind" == *"ARM aarch64"* ]] || fail "the simulator is not an aarch64 program"
# Every ARMv8 CPU has fused multiply-adds, so GCC fuses wherever it may: built with contraction on,
# this simulator has over a hundred of them and 81 golden lines differ.
fused="$(aarch64-linux-gnu-objdump -d --no-show-raw-insn "$build/sim/zorvane-sim" |
    awk '$2 ~ /^(fn?madd|fn?msub|fml[as])$/' | wc -l)"
[ "$fused" -eq 0 ] || fail "the simulator has $fused fused multiply-add instructions"
echo "aarch64: no fused multiply-add in the simulator"

# golden.sh runs whatever SIM names; this one runs the arm64 simulator under qemu, headless.
sim="$build/zorvane-sim-qemu"
printf '#!/bin/sh\n# The arm64 simulator under qemu, on dummy drivers (by scripts/aarch64.sh).\n%s "$@"\n' \
    "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy exec '$qemu' -L '$sysroot' '$build/sim/zorvane-sim'" >"$sim"
chmod +x "$sim"

if [ "$maths" = yes ]; then
    # The game's own maths from the cross build, swept against long double (128 bits here).
    t0=$SECONDS
    "$qemu" -L "$sysroot" "$build/tests/trig_test" --gtest_brief=1 || fail "trig_test under qemu"
    echo "aarch64: trig_test passed under qemu ($((SECONDS - t0)) s)"
fi

# The games themselves: every line of every golden set, and three levels played alone. On a
# difference golden.sh does not look for the first frame: its reference is a build for this CPU.
cd "$build"
ZORVANE_GOLDEN_QUICK=1 bash "$root/tests/golden/golden.sh" check "$sim" random bot cycles ||
    fail "golden lines differ; the first frame and call that differ, against a native build of these sources:
  ZORVANE_GOLDEN_REFERENCE=build/tests/sim/zorvane-sim bash tests/golden/golden.sh diff $sim SET N
  (SET and N, the level or the cycle's script, of the first line named above)"
echo "aarch64: $(cat "$root"/tests/golden/{random,bot,cycles}.txt | wc -l) golden lines equal"

# Replays recorded on this machine, verified under qemu: the sanitizer build's soak keeps every
# level's games (scripts/test.sh makes them); without them, the tests build's simulator records some.
replays=("$root"/build/sanitizer/replays/*.zvr)
if [ ! -e "${replays[0]}" ]; then
    host="$root/build/tests/sim/zorvane-sim"
    [ -x "$host" ] || fail "no replays to verify: run scripts/test.sh, or build the tests preset, first"
    mkdir -p "$build/replays"
    (cd "$root/build/tests" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$host" --all-levels \
        --input bot --record "$build/replays/bot.zvr" >/dev/null) || fail "recording the host's replays"
    replays=("$build/replays/bot.zvr")
fi
bash "$root/tests/replays/verify.sh" "$sim" "${replays[@]}" || fail "replays recorded here play otherwise"
echo "aarch64: the replays recorded on this machine hold under qemu"
