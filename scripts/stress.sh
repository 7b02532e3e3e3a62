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
# The usage is the comment at the top.
usage() { awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; }
while [ $# -gt 0 ]; do
    case "$1:${2:-}" in
    -h:* | --help:*) usage && exit 0 ;;
    --runs:[1-9]*) runs="$2" ;;
    --loops:[0-9]*) loops="$2" ;;
    --label:?*) label="$2" ;;
    --build:?*) build="$(readlink -f "$2")" ;;
    *) usage >&2 && exit 2 ;;
    esac
    shift 2
done
[[ "$runs$loops" =~ ^[0-9]+$ ]] || { usage >&2 && exit 2; }
[ -f "$build/CTestTestfile.cmake" ] || { echo "stress: no build tree with tests at $build" >&2; exit 2; }
mkdir -p "$build/stress"

spinners=()
trap 'kill "${spinners[@]}" 2>/dev/null; wait' EXIT
trap 'exit 1' INT TERM
for ((i = 0; i < loops; i++)); do
    bash -c 'while :; do :; done' &
    spinners+=($!)
done

clean=0 slowest=0
for ((run = 1; run <= runs; run++)); do
    log="$build/stress/run-$run.log" start=$SECONDS status=0
    (cd "$build" && ctest -L "$label" --output-on-failure) >"$log" 2>&1 || status=$?
    took=$((SECONDS - start))
    slowest=$((took > slowest ? took : slowest))
    summary="$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -n 1 || true)"
    failed="$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$log" | paste -sd ' ')"
    read -r load _ </proc/loadavg
    if [ "$status" -eq 0 ] && [ -n "$summary" ]; then
        clean=$((clean + 1))
        echo "run $run/$runs: $summary, $took s, load $load"
    else
        echo "run $run/$runs: FAILED (${summary:-no summary}${failed:+; failed: $failed}), $took s, load $load; see $log"
    fi
done
echo "stress: $clean of $runs runs clean under $loops busy loops (labels $label); slowest run $slowest s"
[ "$clean" -eq "$runs" ]
