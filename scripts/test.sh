#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; exits non-zero when any test fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j "$(nproc)"
cd "$root/build"
ctest --output-on-failure -j "$(nproc)"
