#!/usr/bin/env bash
# Stress: runs the timing-sensitive suites again and again while busy loops load the machine, one
# summary line a run. A check that passes only on an idle machine fails here.
#
#   bash scripts/stress.sh [--runs N] [--loops K] [--label REGEX] [--build DIR]
#
#   --runs N       how many times to run the suites (default 10)
#   --loops K      busy loops (one shell spinning each) kept running meanwhile (default 2)
#   --label REGEX  the CTest labels to run (default e2e|install|valgrind, which takes in the
#                  damaged-resources run, the install tests and memcheck's)
#   --build DIR    a build tree of scripts/test.sh's (default build/tests), built already
#
# Each run's full output is kept in DIR/stress/run-N.log. Exits non-zero when any run failed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=10 loops=2 label='e2e|install|valgrind' build="$root/build/tests"
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --loops) loops="$2"; shift 2 ;;
    --label) label="$2"; shift 2 ;;
    --build) build="$(readlink -f "$2")"; shift 2 ;;
    -h | --help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "stress: unknown argument $1" >&2; exit 2 ;;
    esac
done
[[ "$runs" =~ ^[1-9][0-9]*$ && "$loops" =~ ^[0-9]+$ ]] || { echo "stress: --runs and --loops take numbers" >&2; exit 2; }
[ -f "$build/CTestTestfile.cmake" ] || { echo "stress: no build tree with tests at $build" >&2; exit 2; }
mkdir -p "$build/stress"

spinners=()
stop_spinners() {
    local pid
    for pid in "${spinners[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${spinners[@]}"; do wait "$pid" 2>/dev/null || true; done
    spinners=()
}
trap stop_spinners EXIT
trap 'exit 1' INT TERM
for ((i = 0; i < loops; i++)); do
    bash -c 'while :; do :; done' &
    spinners+=($!)
done

clean=0 slowest=0
for ((run = 1; run <= runs; run++)); do
    log="$build/stress/run-$run.log"
    start=$SECONDS
    status=0
    (cd "$build" && ctest -L "$label" --output-on-failure) >"$log" 2>&1 || status=$?
    took=$((SECONDS - start))
    [ "$took" -gt "$slowest" ] && slowest=$took
    summary="$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -n 1)"
    failed="$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$log" | paste -sd ' ')"
    read -r load _ </proc/loadavg
    if [ "$status" -eq 0 ] && [ -n "$summary" ]; then
        clean=$((clean + 1))
        echo "run $run/$runs: ${summary:-no summary}, ${took} s, load $load"
    else
        echo "run $run/$runs: FAILED (${summary:-no summary}${failed:+; failed: $failed}), ${took} s, load $load; see $log"
    fi
done
echo "stress: $clean of $runs runs clean under $loops busy loops (labels $label); slowest run $slowest s"
[ "$clean" -eq "$runs" ]
