#!/usr/bin/env bash
# memcheck of the real game in a real X window: start, the title until its screenshot, Escape. No
# invalid read or write, and no block of ours definitely or indirectly lost; only X11's own keepings
# are suppressed.
# Usage: bash valgrind_title.sh ZORVANE RESOURCE_DIR ZORVANE_SIM
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
e2e_setup "$1" "$2" "$3"
log="$E2E_SCRATCH/memcheck.log"
E2E_BIN="$E2E_SCRATCH/under-memcheck"
printf '#!/bin/sh\nexec valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=99 --suppressions="%s" --log-file="%s" "%s" "$@"\n' \
    "$(dirname "$(readlink -f "$0")")/x11.supp" "$log" "$(readlink -f "$1")" >"$E2E_BIN"
chmod +x "$E2E_BIN"
e2e_start_xvfb
e2e_make_workdir run
e2e_start_game
e2e_wait_window 120 || exit 1
e2e_focus
# The title's frames under memcheck, the screenshot's path among them; the shot must be the title.
e2e_screenshot -t 120 "$E2E_SCRATCH/title.bmp" && e2e_expect_title "$E2E_SCRATCH/title.bmp" 0
e2e_quit_with Escape 120
e2e_expect_quit

e2e_log "memcheck: $(grep -E 'ERROR SUMMARY|definitely lost|indirectly lost' "$log" | sed 's/==[0-9]*==//g' | tr -s ' ' | tr '\n' ';')"
e2e_expect "memcheck errors" "0" "$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log" | tail -n 1)"
if grep -Eq 'Invalid (read|write)|definitely lost in|indirectly lost in' "$log"; then
    e2e_fail "memcheck found:"
    grep -E -A12 'Invalid (read|write)|lost in loss record' "$log" | head -n 60 >&2
else
    e2e_pass "no invalid access, nothing of ours lost"
fi
e2e_finish
