#!/usr/bin/env bash
# memcheck of the real game in a real X window: start, the title until its screenshot, Escape. No
# invalid read or write, and no block of ours definitely or indirectly lost; only X11's own keepings
# are suppressed.
# Usage: bash valgrind_title.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
e2e_setup "$1" "$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
game="$E2E_BIN"
log="$E2E_SCRATCH/memcheck.log"
E2E_BIN="$E2E_SCRATCH/under-memcheck"
cat >"$E2E_BIN" <<WRAP
#!/usr/bin/env bash
exec valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --error-exitcode=99 --suppressions="$here/x11.supp" --log-file="$log" "$game" "\$@"
WRAP
chmod +x "$E2E_BIN"
e2e_start_xvfb

e2e_make_workdir run
e2e_start_game
e2e_wait_window 120 || exit 1
e2e_focus
# The title's frames under memcheck, the screenshot's path among them; the shot must be the title.
shot="$E2E_SCRATCH/title.png"
e2e_screenshot -t 120 "$shot" && e2e_expect_title "$shot" 0 whole
e2e_quit_with Escape 120
e2e_expect_quit "dPlix system quit."

summary="$(grep -E 'ERROR SUMMARY|definitely lost|indirectly lost' "$log")"
e2e_log "memcheck: $(echo "$summary" | sed 's/==[0-9]*==//g' | tr -s ' ' | tr '\n' ';')"
e2e_expect "memcheck errors" "0" "$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log" | tail -n 1)"
if grep -Eq 'Invalid (read|write)|definitely lost in|indirectly lost in' "$log"; then
    e2e_fail "memcheck found:"
    grep -E -A12 'Invalid (read|write)|lost in loss record' "$log" | head -n 60 >&2
else
    e2e_pass "no invalid access, nothing of ours lost"
fi
e2e_finish
