#!/usr/bin/env bash
# Installs what is missing, builds the game (the default preset, build/default) and starts it from the
# repository, which holds resource/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
cd "$root"
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec "$root/build/default/zorvane" "$@"
