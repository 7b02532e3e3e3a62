#!/usr/bin/env bash
# The real game killed by a fatal signal must leave its line and die of that signal: the watch is
# set in the game itself. (Every fatal signal, raised on any thread, is plix/crash_test's.)
# Usage: bash hostile.sh ZORVANE RESOURCE_DIR
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
e2e_setup "$1" "$2"
ulimit -c 0

# One line, on stdout and as the whole of run.log, and death by that very signal. The signal goes
# once run.log is there, which start-up makes after the watch is set.
want="Plix: fatal signal SIGSEGV (invalid memory access)"
e2e_make_workdir segv
e2e_start_game SDL_VIDEODRIVER=dummy
e2e_stop_with SEGV
e2e_expect "SIGSEGV: exit status" $((128 + $(kill -l SEGV))) "$E2E_STATUS"
e2e_expect "SIGSEGV: last line on stdout" "$want" "$(e2e_last_line "$E2E_WORK/stdout.txt")"
e2e_expect "SIGSEGV: run.log" "$want" "$(cat "$E2E_WORK/run.log")"
e2e_finish
