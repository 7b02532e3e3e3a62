#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; exits non-zero when any test fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh" --web
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j "$(nproc)"
cd "$root/build"
# The soak and the damaged-resources runs come below, against the sanitizer build.
ctest --output-on-failure -j "$(nproc)" -LE 'soak|damaged' | tee "$root/build/ctest-summary.log"
unit_count="$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$root/build/ctest-summary.log" | tail -n 1)"
bash "$root/tests/compat/compat.sh" "$root/build" # the suites again on sdl12-compat; prints its own count

# Second stage: the game and the simulator built with AddressSanitizer and UndefinedBehaviorSanitizer;
# the soak at every level and the damaged-resources runs use them and fail on any sanitizer report.
asan="$root/build-asan"
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_SANITIZE=ON -DZORVANE_TESTS=OFF
cmake --build "$asan" --target zorvane zorvane-sim -j "$(nproc)"
(cd "$asan" && bash "$root/tests/soak/soak.sh" "$asan/sim/zorvane-sim")
(cd "$asan" && bash "$root/tests/golden/golden.sh" check "$asan/sim/zorvane-sim" cycles)
bash "$root/tests/damaged/damaged.sh" "$asan/zorvane" "$root/resource" "$root/build/tests/damaged/sdl_error_probe" \
    "$asan/sim/zorvane-sim" "$root/build/tests/damaged/ogg_bend"

# Third stage: the same golden lines from an optimised Release build and from one for this very CPU,
# where the compiler may use every instruction it has (fused multiply-adds included, unless told not to).
for variant in release:"" native:"-march=native"; do
    dir="$root/build-${variant%%:*}"
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DZORVANE_TESTS=OFF -DCMAKE_CXX_FLAGS="${variant#*:}"
    cmake --build "$dir" --target zorvane-sim -j "$(nproc)"
    (cd "$dir" && bash "$root/tests/golden/golden.sh" check "$dir/sim/zorvane-sim")
done

# Fourth stage: the browser build (its download size printed), played in headless Chromium and held
# against the native game's own pictures, and the simulator's games there against the golden lines.
web_count=0
if command -v emcmake >/dev/null && command -v chromium >/dev/null && [ -d "$root/tests/web/node_modules/puppeteer-core" ]; then
  bash "$root/scripts/web.sh" --replay
  bash "$root/tests/web/web_test.sh" "$root/build/zorvane" "$root/resource" "$root/build-web/web"
  web_count=2
else
  echo "web: skipped, for want of Emscripten, Chromium or tests/web's npm packages"
fi
# Reaching this line means every stage passed: the CTest programs and scripts, the soak with the
# sanitizer build's golden lines, the damaged runs, the golden lines of the two Release builds and
# the browser's two tests.
echo "total: $((unit_count + 5 + web_count)) passed, 0 failed"
