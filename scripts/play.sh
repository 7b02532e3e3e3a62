#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from the repository (which holds resource/).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_TESTS=OFF >/dev/null
cmake --build "$root/build" --target zorvane -j "$(nproc)"
cd "$root"
exec "$root/build/zorvane" "$@"
