# Shared helpers of the end-to-end scripts, one file a concern under lib/. Source it, then call
# e2e_setup BIN RESOURCE_DIR [SIM]; everything started is cleaned up on exit. Every wait is for something
# the game shows or reports (its window, a screenshot, run.log, its end), with a deadline that fails
# the check with what was seen.
# shellcheck shell=bash
E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
for e2e_part in xserver game keys shots checks; do
    # shellcheck source=/dev/null
    source "$E2E_DIR/lib/$e2e_part.sh"
done
