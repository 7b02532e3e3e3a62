#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; exits non-zero when any test fails.
# The total at the end counts what ran and passed: CTest's tests and the checks each later stage
# reports. With CI set, a stage whose tools are missing fails the run instead of being skipped.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh" --web
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j "$(nproc)"
cd "$root/build"
# The soak and the damaged-resources runs come below, against the sanitizer build.
ctest --output-on-failure -j "$(nproc)" -LE 'soak|damaged' | tee "$root/build/ctest-summary.log"
ctest_passed="$(sed -n 's/.* \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' "$root/build/ctest-summary.log" |
    awk 'END { print $1 - $2 }')"
[ "${ctest_passed:-0}" -gt 0 ] || { echo "ctest: no test ran"; exit 1; }
passed="$ctest_passed"
report="ctest: $ctest_passed tests"

# stage NAME COMMAND...: runs a stage, its output shown and kept in build/stage-NAME.log, and adds the
# checks it reports: each "checks: N passed" line, and each line that is a passed check ("ok: ...").
# A stage that fails stops the run, and so does one that reports no check at all.
stage() {
    local name="$1" log="$root/build/stage-$1.log" n
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

# Second stage: the game and the simulator built with AddressSanitizer and UndefinedBehaviorSanitizer;
# the soak at every level and the damaged-resources runs use them and fail on any sanitizer report.
asan="$root/build-asan"
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_SANITIZE=ON -DZORVANE_TESTS=OFF
cmake --build "$asan" --target zorvane zorvane-sim -j "$(nproc)"
cd "$asan"
stage soak bash "$root/tests/soak/soak.sh" "$asan/sim/zorvane-sim"
stage asan-golden bash "$root/tests/golden/golden.sh" check "$asan/sim/zorvane-sim" cycles
cd "$root/build"
stage damaged bash "$root/tests/damaged/damaged.sh" "$asan/zorvane" "$root/resource" \
    "$root/build/tests/damaged/sdl_error_probe" "$asan/sim/zorvane-sim" "$root/build/tests/damaged/ogg_bend"
stage hostile bash "$root/tests/damaged/hostile.sh" "$root/build/tests/damaged/hostile" "$root/build/zorvane" "$root/resource"

# Third stage: the same golden lines from an optimised Release build and from one for this very CPU,
# where the compiler may use every instruction it has (fused multiply-adds included, unless told not to).
for variant in release:"" native:"-march=native"; do
    dir="$root/build-${variant%%:*}"
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DZORVANE_TESTS=OFF -DCMAKE_CXX_FLAGS="${variant#*:}"
    cmake --build "$dir" --target zorvane-sim -j "$(nproc)"
    cd "$dir"
    stage "${variant%%:*}-golden" bash "$root/tests/golden/golden.sh" check "$dir/sim/zorvane-sim"
done
cd "$root/build"

# Fourth stage: the browser build (its download size printed), played in headless Chromium and held
# against the native game's own pictures, on an emulated phone, with a pad, hidden, offline, with
# spoiled files, and the simulator's games there against the golden lines.
web_missing=()
command -v emcmake >/dev/null || web_missing+=("Emscripten")
command -v chromium >/dev/null || web_missing+=("Chromium")
[ -d "$root/tests/web/node_modules/puppeteer-core" ] || web_missing+=("tests/web's npm packages")
if [ ${#web_missing[@]} -eq 0 ]; then
    bash "$root/scripts/web.sh" --tests
    stage web bash "$root/tests/web/web_test.sh" "$root/build/zorvane" "$root/resource" "$root/build-web/web" \
        "$root/tests/golden"
else
    missing web "for want of ${web_missing[*]}"
fi
echo "$report"
echo "total: $passed passed, 0 failed"
