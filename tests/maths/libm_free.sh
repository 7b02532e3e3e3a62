#!/usr/bin/env bash
# No symbol of the C library's maths (libm) in the game, the simulator or the asset generator: what
# they compute must not change with the library.
#
#   libm_free.sh PROBE BINARY...     (PROBE: any program linked with libm, to find it by)
set -uo pipefail
E2E_TAG=libm_free
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib/checks.sh"
probe="$1"
shift
libm="$(ldd "$probe" | awk '$1 ~ /^libm\.so/ { print $3 }')"
[ -r "$libm" ] || { e2e_fail "cannot find libm through $probe"; exit 1; }
for binary in "$@"; do
    used="$(comm -12 <(nm -D --defined-only "$libm" | awk '{ sub(/@.*/, "", $3); print $3 }' | sort -u) \
        <(nm -D --undefined-only "$binary" | awk '{ sub(/@.*/, "", $2); print $2 }' | sort -u))"
    e2e_expect "$(basename "$binary") calls none of the C library's maths" "" "$(echo $used)"
done
e2e_finish
