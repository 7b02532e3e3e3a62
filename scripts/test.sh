#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; exits non-zero when any test fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j "$(nproc)"
cd "$root/build"
# The soak and the damaged-resources runs come below, against the sanitizer build.
ctest --output-on-failure -j "$(nproc)" -LE 'soak|damaged'

# Second stage: the game and the simulator built with AddressSanitizer and UndefinedBehaviorSanitizer;
# the soak at every level and the damaged-resources runs use them and fail on any sanitizer report.
asan="$root/build-asan"
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_SANITIZE=ON -DZORVANE_TESTS=OFF
cmake --build "$asan" --target zorvane zorvane-sim -j "$(nproc)"
(cd "$asan" && bash "$root/tests/soak/soak.sh" "$asan/sim/zorvane-sim")
bash "$root/tests/damaged/damaged.sh" "$asan/zorvane" "$root/resource" "$root/build/tests/damaged/sdl_error_probe"
