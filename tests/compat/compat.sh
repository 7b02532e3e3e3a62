#!/usr/bin/env bash
# The unit, golden and end-to-end suites once more, with the game, the simulator and the tests loading
# sdl12-compat (the SDL 1.2 of Debian 13, Fedora and Arch, over SDL2) in place of classic SDL 1.2,
# checked to be the library really loaded. The tests that open audio run twice each, since a crash at
# exit comes only now and then (ZORVANE_COMPAT_REPEAT asks for more).
#
# Left out, to keep the whole test command under 8 minutes: the golden bot games (golden_bot, over
# two minutes on sdl12-compat), whole games at every level (WholeGame, SimTest.OutcomesFollowTheGameRules,
# sim_cli), the damaged-resource and valgrind runs; and what never touches SDL (the asset generator,
# the format check, the C library's maths). scripts/debian13.sh runs every suite on a system whose
# own SDL 1.2 is sdl12-compat.
#
# usage: compat.sh BUILD_DIR    (ZORVANE_COMPAT_REPEAT: how often each audio test runs, default 2)
set -uo pipefail
build="$(cd "$1" && pwd)"
repeat="${ZORVANE_COMPAT_REPEAT:-2}"
passed=0 failed=0
say() { echo "sdl12-compat: $*"; }
finish() {
    echo "sdl12-compat checks: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

# loaded PROGRAM ARGS...: runs it in a scratch directory holding resource/, and prints what
# sdl12-compat logs when it is the SDL loaded ("sdl12-compat 1.2.60 over SDL2 2.26.5"), else nothing.
loaded() {
    local dir
    dir="$(mktemp -d)"
    ln -s "$build/resource" "$dir/resource"
    (cd "$dir" && SDL12COMPAT_DEBUG_LOGGING=1 "$@" 2>&1 >/dev/null </dev/null) |
        sed -n 's/^INFO: \(sdl12-compat [0-9.]*\), .*talking to \(SDL2 [0-9.]*\).*/\1 over \2/p' | head -n 1
    rm -rf "$dir"
}
sim=("$build/sim/zorvane-sim" --level 0 --max-frames 1)

own="$(loaded env -u LD_LIBRARY_PATH -u LD_PRELOAD "${sim[@]}")"
if [ -n "$own" ]; then
    # Debian 13 and later: SDL 1.2 itself is sdl12-compat, and the main run has played on it already.
    say "this system's own SDL 1.2 is $own: the main run used it, and there is no classic one"
    passed=1
    finish
fi
library="$(dpkg -L libsdl1.2-compat 2>/dev/null | grep '/libSDL-1\.2\.so\.0$' | head -n 1)"
[ -n "$library" ] || { say "libsdl1.2-compat is not installed (bash scripts/setup.sh installs it)"; failed=1; finish; }
export LD_LIBRARY_PATH="$(dirname "$library")${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

# The game (stopping at once for want of a display), the simulator and a test program each say so.
for program in game sim test; do
    case $program in
    game) version="$(loaded env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "$build/zorvane")" ;;
    sim) version="$(loaded "${sim[@]}")" ;;
    test) version="$(loaded "$build/tests/core_test" --gtest_filter=CoreTest.FailedScreenshotIsNoError)" ;;
    esac
    [ -n "$version" ] && passed=$((passed + 1)) && continue
    say "FAIL: the $program did not load sdl12-compat from $(dirname "$library")"
    failed=$((failed + 1))
done
[ "$failed" -eq 0 ] || finish
say "$version, from $(dirname "$library")"

skip='^(format|sim_cli|golden_bot|damaged_resources|valgrind_title|lying_libm|libm_free|float_flags)$|^Generator\.|^WholeGame\.|^SimTest\.OutcomesFollowTheGameRules$'
once='^SimTest\.|^PlayTest\.ThousandsOfFrames|^CycleTest\.TitleGameClear|^EndRollTest\.'
cd "$build"
: >compat-summary.log
for run in "-L unit -E $skip|$once --repeat until-fail:$repeat" "-L unit -R $once -E $skip" "-L golden|e2e -E $skip"; do
    read -ra options <<<"$run"
    ctest --output-on-failure -j "$(nproc)" "${options[@]}" 2>&1 | tee compat-run.log
    cat compat-run.log >>compat-summary.log
    # "N% tests passed, B tests failed out of T": T - B passed, B failed; no such line, one failure.
    read -r bad total < <(sed -nE 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/p' compat-run.log | tail -n 1)
    passed=$((passed + ${total:-0} - ${bad:-0}))
    failed=$((failed + ${bad:-1}))
    bad="" total=""
done
rm -f compat-run.log
say "the tests that open audio ran $repeat times each"
finish
