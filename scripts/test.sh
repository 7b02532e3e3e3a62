#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; exits non-zero when any test fails.
# The total at the end counts what ran and passed: CTest's tests and the checks each later stage
# reports. With CI set, a stage whose tools are missing fails the run instead of being skipped.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh" --web
cd "$root"
# Each preset builds in a folder of its own under build/, so no command changes another's configuration.
preset() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$(nproc)"
}
tests="$root/build/tests"
started=$(date +%s)
timings=""
# took NAME: the time since the last call, for the summary.
took() {
    local now
    now=$(date +%s)
    timings+="${timings:+, }$1 $((now - started)) s"
    started=$now
}
preset tests
took build

# background NAME COMMAND...: a stage whose command runs meanwhile, at a lower priority, its output
# kept; `collected NAME` waits for it and counts it as the stage NAME, its own time printed last.
declare -A background_pid
background() {
    local name="$1"
    shift
    (renice -n 10 "$BASHPID" >/dev/null && SECONDS=0 && "$@" && echo "$name took $SECONDS s") \
        >"$tests/background-$name.log" 2>&1 </dev/null &
    background_pid[$name]=$!
}
collected() {
    local status=0
    wait "${background_pid[$1]}" || status=$?
    stage "$1" show_background "$1" "$status"
}
show_background() {
    cat "$tests/background-$1.log"
    [ "$2" -eq 0 ] || { echo "$1: FAILED (status $2)"; return 1; }
}
# A stage that fails ends the run, and with it what runs in the background.
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT

# The fuzz targets (clang, libFuzzer, both sanitizers), each over a fixed number of inputs, built and
# run beside CTest's run and the compat stage, whose end-to-end runs mostly wait on the clock.
fuzz() {
    cd "$root" && preset fuzz && cd "$root/build/fuzz" && ctest --output-on-failure -j "$(nproc)" -L fuzz &&
        echo "fuzz checks: $(ctest -N -L fuzz | sed -n 's/^Total Tests: //p') passed"
}
background fuzz fuzz

cd "$tests"
# The soak and the damaged-resources runs come below, against the sanitizer build.
ctest --output-on-failure -j "$(nproc)" -LE 'soak|damaged' | tee "$tests/ctest-summary.log"
ctest_passed="$(sed -n 's/.* \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' "$tests/ctest-summary.log" |
    awk 'END { print $1 - $2 }')"
[ "${ctest_passed:-0}" -gt 0 ] || { echo "ctest: no test ran"; exit 1; }
passed="$ctest_passed"
report="ctest: $ctest_passed tests"
took ctest

# stage NAME COMMAND...: runs a stage, its output shown and kept in build/tests/stage-NAME.log, and adds the
# checks it reports: each "checks: N passed" line, and each line that is a passed check ("ok: ...").
# A stage that fails stops the run, and so does one that reports no check at all.
stage() {
    local name="$1" log="$tests/stage-$1.log" n
    shift
    "$@" 2>&1 | tee "$log"
    n="$(awk '/checks: [0-9]+ passed/ { for (i = 1; i < NF; i++) if ($i == "checks:") n += $(i + 1) }
              /^ok: / { n++ }
              END { print n + 0 }' "$log")"
    if [ "$n" -eq 0 ]; then
        echo "$name: the stage reported no check"
        exit 1
    fi
    passed=$((passed + n))
    report+=", $name: $n"
    took "$name"
}

# missing NAME REASON: a stage that cannot run here; under CI that fails the run.
missing() {
    if [ -n "${CI:-}" ]; then
        echo "$1: FAILED: $2, and CI is set"
        exit 1
    fi
    echo "$1: skipped, $2"
    report+=", $1: skipped"
}

# The browser build (its download size printed), played in headless Chromium and held against the
# native game's own pictures, on an emulated phone, with a pad, hidden, offline, with spoiled files,
# its replays against the native simulator's, and the simulator's games there against the golden
# lines: beside the stages below, since its pages play at the game's own pace.
web() {
    bash "$root/scripts/web.sh" --tests &&
        bash "$root/tests/web/web_test.sh" "$tests/zorvane" "$root/resource" "$root/build/web/web" \
            "$root/build/web/lab" "$tests/sim/zorvane-sim" "$root/tests/golden"
}
web_missing=()
command -v emcmake >/dev/null || web_missing+=("Emscripten")
command -v chromium >/dev/null || web_missing+=("Chromium")
[ -d "$root/tests/web/node_modules/puppeteer-core" ] || web_missing+=("tests/web's npm packages")
[ ${#web_missing[@]} -gt 0 ] || background web web

# The unit, golden and end-to-end suites again, the game and the tests loading sdl12-compat.
stage compat bash "$root/tests/compat/compat.sh" "$tests"
collected fuzz

# Second stage: the game and the simulator built with AddressSanitizer and UndefinedBehaviorSanitizer;
# the soak at every level and the damaged-resources runs use them and fail on any sanitizer report.
asan="$root/build/sanitizer"
cd "$root"
preset sanitizer
took sanitizer-build
cd "$asan"
# The soak keeps its games as replays, which every other build must play as this one claims.
replays="$asan/replays"
stage soak bash "$root/tests/soak/soak.sh" "$asan/sim/zorvane-sim" "$replays"
stage asan-golden bash "$root/tests/golden/golden.sh" check "$asan/sim/zorvane-sim" cycles
stage asan-replays bash "$root/tests/replays/hostile.sh" "$asan/sim/zorvane-sim"
cd "$tests"
stage damaged bash "$root/tests/damaged/damaged.sh" "$asan/zorvane" "$root/resource" \
    "$tests/tests/damaged/sdl_error_probe" "$asan/sim/zorvane-sim" "$tests/tests/damaged/hostile"
stage hostile bash "$root/tests/damaged/hostile.sh" "$tests/zorvane" "$root/resource"

# Third stage: the same golden lines from an optimised Release build and from one for this very CPU,
# where the compiler may use every instruction it has (fused multiply-adds included, unless told not to).
for variant in release native; do
    cd "$root"
    preset "$variant"
    took "$variant-build"
    cd "$root/build/$variant"
    stage "$variant-golden" bash "$root/tests/golden/golden.sh" check "$root/build/$variant/sim/zorvane-sim"
    stage "$variant-replays" bash "$root/tests/replays/verify.sh" "$root/build/$variant/sim/zorvane-sim" "$replays"/*.zvr
done
cd "$tests"

if [ ${#web_missing[@]} -eq 0 ]; then
    collected web
else
    missing web "for want of ${web_missing[*]}"
fi
echo "$report"
echo "time: $timings"
echo "total: $passed passed, 0 failed"
