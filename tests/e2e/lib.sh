# Shared helpers of the end-to-end scripts, one file a concern under lib/: the X server and the scratch
# area, the game's process, windows and keys, screenshots and pictures, checks.
# Source it, then call e2e_setup BIN RESOURCE_DIR; everything started is cleaned up on exit.
# Every wait is for something the game shows or reports (its window, a screenshot, run.log, its end),
# with a deadline that fails the check with what was seen.
# shellcheck shell=bash

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=lib/xserver.sh
source "$E2E_DIR/lib/xserver.sh"
# shellcheck source=lib/game.sh
source "$E2E_DIR/lib/game.sh"
# shellcheck source=lib/keys.sh
source "$E2E_DIR/lib/keys.sh"
# shellcheck source=lib/shots.sh
source "$E2E_DIR/lib/shots.sh"
# shellcheck source=lib/checks.sh
source "$E2E_DIR/lib/checks.sh"
