#!/usr/bin/env bash
# memcheck of a short headless game through the simulator: level 50 with random input, to its game over.
# No memcheck error at all (invalid reads and writes included) and no block definitely or indirectly lost.
# Usage: bash valgrind_sim.sh ZORVANE_SIM   (in a directory that holds resource/)
set -u
sim="$1"
log="$(mktemp /tmp/zorvane-memcheck-XXXXXX.log)"
trap 'rm -f "$log"' EXIT
valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=99 \
    --log-file="$log" "$sim" --level 50 --seed 1 --input random --check
status=$?
grep -E 'ERROR SUMMARY|definitely lost:|indirectly lost:' "$log" | sed 's/==[0-9]*== *//'
if [ "$status" -ne 0 ]; then
    echo "FAIL: status $status (99: memcheck found errors or leaks)"
    grep -E -A14 'Invalid|uninitialised|lost in loss record' "$log" | head -n 80
    exit 1
fi
